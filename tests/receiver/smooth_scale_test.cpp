// The aligned view's smooth enlargement: hand-worked values, every target pixel against a plain
// pixel-by-pixel blend that is itself within rounding of the ideal bilinear one, and strips.

#include "receiver/core/picture/smooth_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace mosaic {
namespace {

struct Source {
  int width, height;
  std::vector<std::uint8_t> rgb;
  int level(int x, int y, int c) const { return rgb[std::size_t(3 * (y * width + x) + c)]; }
};

Source varied(int width, int height, unsigned seed) {
  Source s{width, height, std::vector<std::uint8_t>(std::size_t(3 * width * height))};
  for (auto& v : s.rgb) v = std::uint8_t((seed = seed * 1664525u + 1013904223u) >> 24);
  return s;
}

// `width` x `height` pixels in rows `stride` pixels apart, every pixel outside them `kUnwritten`.
constexpr std::uint32_t kUnwritten = 0x12345678u;
std::vector<std::uint32_t> scaled(const Source& s, int width, int height, int stride) {
  SmoothScaler scaler;
  scaler.setSizes(s.width, s.height, width, height);
  std::vector<std::uint32_t> out(std::size_t(stride) * height, kUnwritten);
  scaler.scale(s.rgb.data(), out.data(), stride);
  return out;
}

// Round(a + (b - a) w / 256), halves up.
int lerp(int a, int b, int w) { return (256 * a + (b - a) * w + 128) >> 8; }

// Target pixel (x, y) made the plain way: its four source neighbours blended across, then down.
std::uint32_t referencePixel(const Source& s, int width, int height, int x, int y) {
  const int px = sourcePosition256(x, width, s.width);
  const int py = sourcePosition256(y, height, s.height);
  const int x0 = px / 256, x1 = std::min(x0 + 1, s.width - 1);
  const int y0 = py / 256, y1 = std::min(y0 + 1, s.height - 1);
  std::uint32_t pixel = 0xff000000u;
  for (int c = 0; c < 3; ++c) {
    const int top = lerp(s.level(x0, y0, c), s.level(x1, y0, c), px % 256);
    const int bottom = lerp(s.level(x0, y1, c), s.level(x1, y1, c), px % 256);
    pixel |= std::uint32_t(lerp(top, bottom, py % 256)) << (16 - 8 * c);
  }
  return pixel;
}

// The real-valued bilinear blend at target pixel (x, y), pixel centres on pixel centres.
double idealLevel(const Source& s, int width, int height, int x, int y, int c) {
  const double fx = std::clamp((x + 0.5) * s.width / width - 0.5, 0.0, s.width - 1.0);
  const double fy = std::clamp((y + 0.5) * s.height / height - 0.5, 0.0, s.height - 1.0);
  const int x0 = std::min(int(fx), s.width - 2), y0 = std::min(int(fy), s.height - 2);
  const auto across = [&](int y) {
    return s.level(x0, y, c) + (s.level(x0 + 1, y, c) - s.level(x0, y, c)) * (fx - x0);
  };
  return across(y0) + (across(y0 + 1) - across(y0)) * (fy - y0);
}

TEST(SmoothScale, HandWorkedRowAndColumn) {
  // Target pixels 1 and 2 of 4 lie a quarter and three quarters of the way between the two
  // source pixels, 0 and 3 beyond them and take the edge pixels.
  EXPECT_EQ(sourcePosition256(0, 4, 2), 0);
  EXPECT_EQ(sourcePosition256(1, 4, 2), 64);
  EXPECT_EQ(sourcePosition256(2, 4, 2), 192);
  EXPECT_EQ(sourcePosition256(3, 4, 2), 256);
  EXPECT_EQ(scaled({2, 1, {0, 0, 0, 255, 100, 10}}, 4, 1, 4),
            (std::vector<std::uint32_t>{0xff000000u, 0xff401903u, 0xffbf4b08u, 0xffff640au}));
  // The same down a column, falling: 150 and 50 exactly, 7.5 and 2.5 rounded up.
  EXPECT_EQ(scaled({1, 2, {200, 10, 0, 0, 0, 0}}, 1, 4, 1),
            (std::vector<std::uint32_t>{0xffc80a00u, 0xff960800u, 0xff320300u, 0xff000000u}));
  // One source pixel fills any target.
  EXPECT_EQ(scaled({1, 1, {1, 2, 3}}, 3, 2, 3), std::vector<std::uint32_t>(6, 0xff010203u));
}

TEST(SmoothScale, EveryPixelAsThePlainBlendAtManySizes) {
  struct Case {
    int sourceWidth, sourceHeight, width, height;
  };
  // The aligned view's frame into a small and a 4K panel, odd factors, shrinking, one row.
  for (const Case c : {Case{141, 108, 600, 460}, Case{141, 108, 2820, 2160}, Case{47, 36, 1003, 77},
                       Case{13, 9, 7, 5}, Case{5, 1, 64, 3}}) {
    const Source source = varied(c.sourceWidth, c.sourceHeight, unsigned(c.width));
    const int stride = c.width + 3;
    const auto out = scaled(source, c.width, c.height, stride);
    int mismatches = 0;
    double worstFromIdeal = 0;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < stride; ++x) {
        const std::uint32_t got = out[std::size_t(y * stride + x)];
        const std::uint32_t want =
            x < c.width ? referencePixel(source, c.width, c.height, x, y) : kUnwritten;
        if (got != want && ++mismatches <= 3)
          ADD_FAILURE() << c.width << " x " << c.height << " at (" << x << ", " << y << ")";
        if (x >= c.width || c.sourceHeight < 2 || (x + y) % 7 != 0) continue;
        for (int k = 0; k < 3; ++k)
          worstFromIdeal =
              std::max(worstFromIdeal, std::abs(double(got >> (16 - 8 * k) & 0xff) -
                                                idealLevel(source, c.width, c.height, x, y, k)));
      }
    }
    EXPECT_EQ(mismatches, 0) << c.width << " x " << c.height;
    EXPECT_LE(worstFromIdeal, 2.0) << c.width << " x " << c.height;
  }
}

TEST(SmoothScale, StripsMakeTheSamePictureAndReuseOnlyRowsThatStillFit) {
  const int w = 1566, h = 1200;
  const Source first = varied(141, 108, 3), other = varied(141, 108, 4);
  const auto whole = scaled(first, w, h, w);
  SmoothScaler scaler;
  scaler.setSizes(141, 108, w, h);
  std::vector<std::uint32_t> strips(whole.size(), kUnwritten);
  const auto strip = [&](const Source& s, int from, int rows, bool continuing) {
    scaler.scaleRows(s.rgb.data(), from, rows, &strips[std::size_t(from * w)], w, continuing);
  };
  for (int y = 0; y < h; y += 7) strip(first, y, 7, y > 0);
  EXPECT_EQ(strips, whole);
  // The top half of another picture, then the bottom half of the first, whether or not said to
  // continue: rows widened from the other picture are not used again.
  for (bool continuing : {false, true}) {
    strip(other, 0, 600, false);
    strip(first, 600, 600, continuing);
    EXPECT_TRUE(std::equal(strips.begin() + 600 * w, strips.end(), whole.begin() + 600 * w));
  }
  // A picture changed in place (as the view's frame is) and not said to continue: widened anew.
  Source changing = first;
  strip(changing, 0, 600, false);
  changing.rgb = other.rgb;
  strip(changing, 600, 600, false);
  const auto otherWhole = scaled(other, w, h, w);
  EXPECT_TRUE(std::equal(strips.begin() + 600 * w, strips.end(), otherWhole.begin() + 600 * w));
}

}  // namespace
}  // namespace mosaic
