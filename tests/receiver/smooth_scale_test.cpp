// The aligned view's smooth enlargement: hand-worked values, every target pixel against a plain
// pixel-by-pixel bilinear blend, and the ideal real-valued blend within rounding.

#include "receiver/core/picture/smooth_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace mosaic {
namespace {

struct Rgb {
  int r, g, b;
};

// `width` x `height` pixels in rows `stride` pixels apart, every pixel outside them `kUnwritten`.
constexpr std::uint32_t kUnwritten = 0x12345678u;
std::vector<std::uint32_t> scaled(const std::vector<std::uint8_t>& rgb, int sourceWidth,
                                  int sourceHeight, int width, int height, int stride) {
  SmoothScaler scaler;
  scaler.setSizes(sourceWidth, sourceHeight, width, height);
  std::vector<std::uint32_t> out(static_cast<std::size_t>(stride) * height, kUnwritten);
  scaler.scale(rgb.data(), out.data(), stride);
  return out;
}

std::vector<std::uint8_t> varied(int width, int height, unsigned seed) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(3 * width * height));
  for (auto& v : rgb) v = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
  return rgb;
}

// Round(a + (b - a) w / 256), halves up.
int lerp(int a, int b, int w) { return (256 * a + (b - a) * w + 128) >> 8; }

// Target pixel (x, y) made the plain way: its four source neighbours blended across, then down.
std::uint32_t referencePixel(const std::vector<std::uint8_t>& rgb, int sourceWidth,
                             int sourceHeight, int width, int height, int x, int y) {
  const int px = sourcePosition256(x, width, sourceWidth);
  const int py = sourcePosition256(y, height, sourceHeight);
  const int x0 = px / 256, x1 = std::min(x0 + 1, sourceWidth - 1);
  const int y0 = py / 256, y1 = std::min(y0 + 1, sourceHeight - 1);
  std::uint32_t pixel = 0xff000000u;
  for (int c = 0; c < 3; ++c) {
    const auto at = [&](int sx, int sy) {
      return rgb[static_cast<std::size_t>(3 * (sy * sourceWidth + sx) + c)];
    };
    const int top = lerp(at(x0, y0), at(x1, y0), px % 256);
    const int bottom = lerp(at(x0, y1), at(x1, y1), px % 256);
    pixel |= static_cast<std::uint32_t>(lerp(top, bottom, py % 256)) << (16 - 8 * c);
  }
  return pixel;
}

TEST(SmoothScale, HandWorkedRowAndColumn) {
  // Centres map onto centres: target pixels 1 and 2 of 4 lie a quarter and three quarters of
  // the way between the two source pixels, 0 and 3 beyond them and take the edge pixels.
  EXPECT_EQ(sourcePosition256(0, 4, 2), 0);
  EXPECT_EQ(sourcePosition256(1, 4, 2), 64);
  EXPECT_EQ(sourcePosition256(2, 4, 2), 192);
  EXPECT_EQ(sourcePosition256(3, 4, 2), 256);
  const std::vector<std::uint8_t> rising = {0, 0, 0, 255, 100, 10};
  EXPECT_EQ(scaled(rising, 2, 1, 4, 1, 4),
            (std::vector<std::uint32_t>{0xff000000u, 0xff401903u, 0xffbf4b08u, 0xffff640au}));
  // The same down a column, falling: 150 and 50 exactly, 7.5 and 2.5 rounded up.
  const std::vector<std::uint8_t> falling = {200, 10, 0, 0, 0, 0};
  EXPECT_EQ(scaled(falling, 1, 2, 1, 4, 1),
            (std::vector<std::uint32_t>{0xffc80a00u, 0xff960800u, 0xff320300u, 0xff000000u}));
  // One source pixel fills any target.
  EXPECT_EQ(scaled({1, 2, 3}, 1, 1, 3, 2, 3), std::vector<std::uint32_t>(6, 0xff010203u));
}

TEST(SmoothScale, EveryPixelAsThePlainBlendAtManySizes) {
  struct Case {
    int sourceWidth, sourceHeight, width, height;
  };
  // The aligned view's frame into a small and a 4K panel, odd factors, shrinking, one row.
  for (const Case c : {Case{141, 108, 600, 460}, Case{141, 108, 2820, 2160}, Case{47, 36, 1003, 77},
                       Case{13, 9, 7, 5}, Case{5, 1, 64, 3}}) {
    const auto rgb = varied(c.sourceWidth, c.sourceHeight, static_cast<unsigned>(c.width));
    const int stride = c.width + 3;
    const auto out = scaled(rgb, c.sourceWidth, c.sourceHeight, c.width, c.height, stride);
    int mismatches = 0;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < stride; ++x) {
        const std::uint32_t want = x < c.width ? referencePixel(rgb, c.sourceWidth, c.sourceHeight,
                                                                c.width, c.height, x, y)
                                               : kUnwritten;
        if (out[static_cast<std::size_t>(y * stride + x)] != want && ++mismatches <= 3)
          ADD_FAILURE() << c.width << " x " << c.height << " at (" << x << ", " << y << ")";
      }
    }
    EXPECT_EQ(mismatches, 0) << c.width << " x " << c.height;
  }
}

TEST(SmoothScale, StripsInAnyOrderMakeTheSamePicture) {
  const int sw = 141, sh = 108, w = 1566, h = 1200;
  const auto rgb = varied(sw, sh, 3);
  const auto whole = scaled(rgb, sw, sh, w, h, w);
  SmoothScaler scaler;
  scaler.setSizes(sw, sh, w, h);
  std::vector<std::uint32_t> strips(whole.size(), kUnwritten);
  // Continuing strips of 7 rows; then the top half of another picture and the bottom half of
  // the first, alone or said to continue: widened rows are used again only where they fit.
  for (int y = 0; y < h; y += 7)
    scaler.scaleRows(rgb.data(), y, 7, &strips[std::size_t(y * w)], w, y > 0);
  EXPECT_EQ(strips, whole);
  const auto other = varied(sw, sh, 4);
  for (bool continuing : {false, true}) {
    scaler.scaleRows(other.data(), 0, 600, strips.data(), w, false);
    std::fill(strips.begin() + 600 * w, strips.end(), kUnwritten);
    scaler.scaleRows(rgb.data(), 600, 600, &strips[std::size_t(600 * w)], w, continuing);
    EXPECT_TRUE(std::equal(strips.begin() + 600 * w, strips.end(), whole.begin() + 600 * w));
    EXPECT_FALSE(std::equal(strips.begin(), strips.begin() + 600 * w, whole.begin()));
  }
  // The same picture in the same place, changed: not said to continue, it is widened anew.
  auto changed = rgb;
  scaler.scaleRows(changed.data(), 0, 600, strips.data(), w, false);
  changed = other;
  scaler.scaleRows(changed.data(), 600, 600, &strips[std::size_t(600 * w)], w, false);
  scaler.scaleRows(other.data(), 0, 600, strips.data(), w, false);
  EXPECT_EQ(strips, scaled(other, sw, sh, w, h, w));
}

TEST(SmoothScale, WithinRoundingOfTheIdealBlend) {
  const int sw = 47, sh = 36, w = 1566, h = 1200;
  const auto rgb = varied(sw, sh, 7);
  const auto out = scaled(rgb, sw, sh, w, h, w);
  const auto level = [&](int x, int y, int c) {
    return double(rgb[static_cast<std::size_t>(3 * (y * sw + x) + c)]);
  };
  int worst = 0;
  for (int y = 0; y < h; y += 7) {
    const double fy = std::clamp((y + 0.5) * sh / h - 0.5, 0.0, sh - 1.0);
    const int y0 = std::min(int(fy), sh - 2);
    for (int x = 0; x < w; x += 5) {
      const double fx = std::clamp((x + 0.5) * sw / w - 0.5, 0.0, sw - 1.0);
      const int x0 = std::min(int(fx), sw - 2);
      for (int c = 0; c < 3; ++c) {
        const double top = level(x0, y0, c) + (level(x0 + 1, y0, c) - level(x0, y0, c)) * (fx - x0);
        const double bottom =
            level(x0, y0 + 1, c) + (level(x0 + 1, y0 + 1, c) - level(x0, y0 + 1, c)) * (fx - x0);
        const double ideal = top + (bottom - top) * (fy - y0);
        const int got = int(out[static_cast<std::size_t>(y * w + x)] >> (16 - 8 * c) & 0xff);
        worst = std::max(worst, int(std::lround(std::abs(got - ideal) * 10)));
      }
    }
  }
  EXPECT_LE(worst, 15) << "tenths of a level";
}

}  // namespace
}  // namespace mosaic
