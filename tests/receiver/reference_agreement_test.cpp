#include "receiver/core/receiver_engine.h"
#include "tests/receiver/reference_demodulator.h"
#include "tests/receiver/test_signals.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace mosaic {
namespace {

using testing::Agreement;
using testing::ReferenceSettings;

// A picture-like signal: each carrier's value drifts smoothly over columns and rows, with
// noise, a tuning error and symbols that do not start on the receiver's block grid.
std::vector<std::int16_t> recording(int buffers, double offsetHz, double noise) {
  return testing::steppedCarriers(
      buffers * kCaptureSamples, testing::allCarriers(),
      [](int k, int s) {
        if (k >= 56) return 3.5 + 3.5 * std::sin(0.21 * k + 0.13 * s);
        return 3.0 * std::sin(0.5 * k - 0.07 * s);
      },
      93, offsetHz, 1200.0, noise, 5);
}

struct Case {
  const char* name;
  DemodSettings settings;
  double offsetHz;
};

DemodSettings tuned(float coarse, float fine, int balance, bool halfPixel) {
  DemodSettings s;
  s.coarseHz = coarse;
  s.fineHz = fine;
  s.balance = balance;
  if (!halfPixel) toggleHalfPixel(s);
  return s;
}

TEST(ReferenceAgreement, RunBytesAgreeWithAnIndependentDemodulator) {
  const int buffers = 4;
  const Case cases[] = {
      {"defaults", DemodSettings{}, 0.0},
      {"tuned -3.4 Hz, balance -35, no half pixel", tuned(-3.0f, -0.4f, -35, false), 3.4},
      {"tuned +12.3 Hz, balance 150", tuned(12.0f, 0.3f, 150, true), -12.3},
  };
  for (const Case& c : cases) {
    const auto audio = recording(buffers, c.offsetHz, 400.0);
    ReceiverEngine chain(pictureSettings(c.settings));
    Agreement all;
    for (int b = 0; b < buffers; ++b) {
      chain.onBufferComplete(audio.data() + b * kCaptureSamples);
      const ReferenceSettings rs{c.settings.coarseHz, c.settings.fineHz, c.settings.balance,
                                 c.settings.windowOffsets[0], c.settings.windowOffsets[1]};
      const auto reference = testing::referenceRunBytes(chain.history().samples.data(), rs);
      testing::compareBytes(chain.runBytes().data(), reference.data(), reference.size(), all);
    }
    std::printf("[ agreement ] %s: %.4f %% equal of %lld bytes, max difference %d\n", c.name,
                100.0 * all.fractionEqual(), all.total, all.maxDifference);
    EXPECT_GE(all.fractionEqual(), 0.99) << c.name;
    EXPECT_LE(all.maxDifference, 1) << c.name;
  }
}

}  // namespace
}  // namespace mosaic
