// Whole frames held as digests: the transmitter's samples are exact, and must come out the same
// on every machine the program is built for, whatever its floating-point hardware. The digests
// were taken from the x86-64 build whose phase steps ran on the x87 unit.

#include "tests/support/digest.h"
#include "transmitter/core/frame_synthesizer.h"
#include "transmitter/core/grab_reduction.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace mosaic {
namespace {

// A grab filled by `colour(x, y)` with x = 0..95 from the left and y = 0..127 from the top.
using PixelRule = std::function<void(int x, int y, std::uint8_t* bgr)>;

std::unique_ptr<PicturePlanes> grabbed(const PixelRule& colour) {
  GrabBitmap grab;
  for (int y = 0; y < GrabBitmap::kHeight; ++y)
    for (int x = 0; x < GrabBitmap::kWidth; ++x)
      colour(x, y, grab.pixelAt(GrabBitmap::kLeftColumn + x, y));
  auto planes = std::make_unique<PicturePlanes>();
  reduceGrab(grab, *planes);
  return planes;
}

PixelRule uniform(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return [=](int, int, std::uint8_t* p) {
    p[0] = b;
    p[1] = g;
    p[2] = r;
  };
}

// Every byte drawn from one generator: the hardest picture for the carriers.
PixelRule noise(unsigned seed) {
  auto rng = std::make_shared<std::mt19937>(seed);
  return [=](int, int, std::uint8_t* p) {
    for (int i = 0; i < 3; ++i) p[i] = static_cast<std::uint8_t>((*rng)() >> 24);
  };
}

// Eight saturated bars from left to right, darker towards the bottom.
PixelRule colourBars() {
  return [](int x, int y, std::uint8_t* p) {
    const int bar = x * 8 / GrabBitmap::kWidth;
    const int level = 255 - y;
    p[0] = static_cast<std::uint8_t>(bar & 1 ? level : 0);
    p[1] = static_cast<std::uint8_t>(bar & 4 ? level : 0);
    p[2] = static_cast<std::uint8_t>(bar & 2 ? level : 0);
  };
}

PixelRule gradient() {
  return [](int x, int y, std::uint8_t* p) {
    p[0] = static_cast<std::uint8_t>(2 * y);
    p[1] = static_cast<std::uint8_t>(x + y);
    p[2] = static_cast<std::uint8_t>(255 - 2 * x);
  };
}

// Planes no grab can give: any single-precision value across the full range of each plane.
std::unique_ptr<PicturePlanes> randomPlanes(unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> y(0.0f, 7.96875f), v(-4.9f, 4.9f), u(-3.47f, 3.47f);
  auto p = std::make_unique<PicturePlanes>();
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      p->Y[c][r] = y(rng);
      p->V[c][r] = v(rng);
      p->U[c][r] = u(rng);
    }
  return p;
}

std::uint64_t frameDigest(const PicturePlanes& planes) {
  static FrameSynthesizer synthesizer;
  std::vector<std::int16_t> frame(kFrameSamples);
  synthesizer.synthesize(planes, frame.data());
  return test::Digest().add(frame).value();
}

struct GoldenFrame {
  const char* picture;
  std::function<std::unique_ptr<PicturePlanes>()> planes;
  std::uint64_t digest;
};

TEST(GoldenFrames, EveryKindOfPictureGivesTheRecordedFrame) {
  const GoldenFrame golden[] = {
      {"black", [] { return grabbed(uniform(0, 0, 0)); }, 0x1e05f8ccf918edc5},
      {"white", [] { return grabbed(uniform(255, 255, 255)); }, 0x8b7a03bbb6ba2195},
      {"mid grey", [] { return grabbed(uniform(128, 128, 128)); }, 0x08d9fe4947ba9f71},
      {"dark red", [] { return grabbed(uniform(90, 3, 17)); }, 0x932ac96299868921},
      {"noise 1", [] { return grabbed(noise(1)); }, 0x1c9172daf4b20c8d},
      {"noise 2", [] { return grabbed(noise(2)); }, 0xda70e9aa4096f519},
      {"colour bars", [] { return grabbed(colourBars()); }, 0x144f558b26116b61},
      {"gradient", [] { return grabbed(gradient()); }, 0xc8ecbca5a0958cdd},
      {"random planes", [] { return randomPlanes(5); }, 0x8477c77d0e5bdfb1},
  };
  for (const auto& g : golden) {
    EXPECT_EQ(test::Digest::hex(frameDigest(*g.planes())), test::Digest::hex(g.digest))
        << g.picture;
  }
}

}  // namespace
}  // namespace mosaic
