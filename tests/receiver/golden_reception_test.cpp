// The receiver's exact outputs held as digests: picture value bytes, differential values and the
// drawn picture, buffer after buffer, at many settings. They must come out the same on every
// machine the program is built for; the digests were taken from the x86-64 build whose extended-
// precision arithmetic ran on the x87 unit.

#include "receiver/core/receiver_engine.h"
#include "receiver/core/slider_scales.h"
#include "tests/support/digest.h"
#include "tests/support/transmitted_frames.h"
#include "transmitter/core/grab_reduction.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace mosaic {
namespace {

constexpr int kBuffers = 4;

// Transmitted frames of a picture of noise and bars, taken down to 9600 Hz by keeping every fifth
// sample from the third on, with noise from a plain integer generator: nothing in the signal
// depends on a mathematical library.
const std::vector<std::int16_t>& recording() {
  static const std::vector<std::int16_t> audio = [] {
    GrabBitmap grab;
    std::uint32_t state = 12345;
    auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    for (int y = 0; y < GrabBitmap::kHeight; ++y)
      for (int x = 0; x < GrabBitmap::kWidth; ++x) {
        std::uint8_t* p = grab.pixelAt(GrabBitmap::kLeftColumn + x, y);
        const bool bars = x < 48;
        for (int i = 0; i < 3; ++i)
          p[i] = static_cast<std::uint8_t>(bars ? ((x / 6 + i) % 3) * 120 : next() >> 24);
      }
    auto planes = std::make_unique<PicturePlanes>();
    reduceGrab(grab, *planes);
    const auto sent = test::transmittedFrames(*planes, kBuffers + 1);
    std::vector<std::int16_t> out(kBuffers * kCaptureSamples);
    for (std::size_t n = 0; n < out.size(); ++n) {
      // The sum of four uniform draws, about 900 standard deviation.
      int noise = 0;
      for (int i = 0; i < 4; ++i) noise += static_cast<int>(next() >> 21) - 1024;
      out[n] = static_cast<std::int16_t>(sent[5 * n + 2] / 2 + noise * 3 / 4);
    }
    return out;
  }();
  return audio;
}

struct Setting {
  const char* name;
  DemodSettings demod;
  DisplaySettings display;
  std::uint64_t digest;
};

DemodSettings tuned(int coarsePosition, int finePosition, int balance, bool halfPixel) {
  DemodSettings s;
  s.coarseHz = tuningAt(coarsePosition, kCoarseStepsPerHz);
  s.fineHz = tuningAt(finePosition, kFineStepsPerHz);
  s.balance = balance;
  if (!halfPixel) toggleHalfPixel(s);
  return s;
}

DisplaySettings shown(int brightness, int contrast, int saturation) {
  DisplaySettings d;
  d.brightness = brightness;
  d.contrast = contrast;
  d.saturation = saturation;
  return d;
}

DisplaySettings filtered(NoiseWeights weights, bool horizontal, bool vertical, ScreenSize size) {
  DisplaySettings d;
  d.noiseFilter = true;
  d.noiseWeights = weights;
  d.horizontalFilter = horizontal;
  d.verticalInterpolation = vertical;
  d.screenSize = size;
  return d;
}

std::uint64_t receptionDigest(const DemodSettings& demod, const DisplaySettings& display) {
  const auto& audio = recording();
  ReceiverEngine engine(pictureSettings(demod, display));
  test::Digest digest;
  for (int b = 0; b < kBuffers; ++b) {
    engine.onBufferComplete(audio.data() + b * kCaptureSamples);
    digest.add(engine.runBytes());
    for (int p = 0; p < kSubColumns; ++p) {
      digest.add(engine.planes().luma[p]).add(engine.planes().cr[p]).add(engine.planes().cb[p]);
    }
    digest.add(engine.bitmap().bytes);
  }
  return digest.value();
}

TEST(GoldenReception, EverySettingGivesTheRecordedBytesValuesAndPictures) {
  const Setting settings[] = {
      {"defaults", DemodSettings{}, DisplaySettings{}, 0xfad9de7596efb969},
      {"tuned +3.7 Hz -0.46 Hz", tuned(237, 177, 67, true), DisplaySettings{}, 0x2fec6f1630fc38d9},
      {"tuned -12.3 Hz +1.22 Hz, balance -150", tuned(77, 261, -150, true), DisplaySettings{},
       0xc2807005c67c360e},
      {"no half pixel, balance 200", tuned(200, 200, 200, false), DisplaySettings{},
       0xb7c9e02d0d36b481},
      {"bright, high contrast, saturated", DemodSettings{}, shown(40, 256, 400),
       0xa430e3be8afe6651},
      {"dark, low contrast, monochrome", tuned(215, 190, 0, true), shown(3, 17, 0),
       0x859456a3902ce92a},
      {"odd levels", tuned(186, 203, 31, true), shown(129, 131, 133), 0x69671d89732e5cc8},
      {"light filter, horizontal", DemodSettings{},
       filtered(kLightNoiseFilter, true, false, ScreenSize::Small), 0x83653bdc740f5595},
      {"medium filter, vertical, large", tuned(199, 201, 67, true),
       filtered(kMediumNoiseFilter, false, true, ScreenSize::Large), 0xbce236a79947d7d9},
      {"heavy filter, both, large", DemodSettings{},
       filtered(kHeavyNoiseFilter, true, true, ScreenSize::Large), 0xf0bd3c08a582ba35},
  };
  for (const Setting& s : settings) {
    EXPECT_EQ(test::Digest::hex(receptionDigest(s.demod, s.display)), test::Digest::hex(s.digest))
        << s.name;
  }
}

}  // namespace
}  // namespace mosaic
