// The tuning aid's parts on their own: slider positions for an offset, the spectrum's scale,
// and the coarse search over a carrier plan laid off its grid.

#include "receiver/core/tuning/slider_offset.h"
#include "receiver/core/tuning/tuning_spectrum.h"
#include "tests/receiver/test_signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace mosaic {
namespace {

TEST(TuningPositions, CoarseTakesTenthsFineTheRestBothWithinTheirRanges) {
  struct Case {
    double hz;
    int coarse, fine;
  } cases[] = {
      {-6.3, 137, 200},  // whole tenths on the coarse slider alone
      {2.46, 225, 198},  // 2.5 - 0.04
      {23.0, 400, 350},  // beyond the coarse slider's 20 Hz: the fine one takes 3 Hz
      {-30.0, 0, 0},     // beyond both: as far as they go
      {std::numeric_limits<double>::quiet_NaN(), 200, 200},
  };
  for (const Case& c : cases) {
    const TuningPositions p = tuningPositions(c.hz);
    EXPECT_EQ(p.coarse, c.coarse) << c.hz;
    EXPECT_EQ(p.fine, c.fine) << c.hz;
  }
  DemodSettings s;
  applyTuningPositions(tuningPositions(2.46), s);
  EXPECT_NEAR(static_cast<double>(tuningOffsetHz(s)), 2.46, 1e-6);
}

TEST(TuningSpectrum, AFullScaleSineShowsAtZeroDecibelsOnItsBin) {
  const auto tone = testing::steadyTone(2100.0, kZoomSamples, 32767.0);
  const std::vector<float> x(tone.begin(), tone.end());
  TuningSpectrum s;
  s.analyse(x);
  const int bin = static_cast<int>(std::lround(2100.0 / kSpectrumBinHz)) - kSpectrumFirstBin;
  EXPECT_NEAR(s.newestDb()[static_cast<std::size_t>(bin)], 0.0, 0.1);
  EXPECT_LT(s.newestDb()[static_cast<std::size_t>(bin + 5)], -60.0);
  // The close view peaks at the tone too, within its 0.59 Hz steps.
  std::size_t peak = 0;
  for (std::size_t i = 0; i < s.zoomDb().size(); ++i)
    if (s.zoomDb()[i] > s.zoomDb()[peak]) peak = i;
  EXPECT_NEAR(TuningSpectrum::zoomBinHz(static_cast<int>(peak)), 2100.0, 0.6);
}

TEST(TuningSpectrum, CoarseSearchFindsThePlanOffItsGridEvenBeyondHalfASpacing) {
  // Every carrier steps through values 0..7 (luminance) or -3..3 (colour) from symbol to
  // symbol, arriving `arrival` Hz off: centred by the tuning -arrival.
  for (double arrival : {-19.0, -6.5, 0.0, 8.0, 21.0}) {
    const auto audio = testing::steppedCarriers(
        kCaptureSamples, testing::allCarriers(),
        [](int k, int s) { return k >= 56 ? double((s * 3 + k) % 8) : double((s + k) % 7) - 3; }, 0,
        arrival);
    const std::vector<float> x(audio.begin(), audio.end());
    TuningSpectrum s;
    s.analyse(x, false);
    EXPECT_NEAR(coarseOffsetHz(s.mean()), -arrival, 3.0) << arrival;
  }
}

}  // namespace
}  // namespace mosaic
