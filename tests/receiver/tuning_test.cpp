// The tuning aid's parts on their own: slider positions for an offset, the spectrum's scale,
// the coarse search over a carrier plan laid off its grid, and the clock from a still picture's
// repeats under fading.

#include "receiver/core/tuning/repeat_clock.h"
#include "receiver/core/tuning/slider_offset.h"
#include "receiver/core/tuning/tuning_spectrum.h"
#include "signal/carrier_plan.h"
#include "tests/receiver/test_signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <random>

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

// Window A of frame `f` of a picture whose carriers start at `phases`, sent with the clock
// `ppm` off, through two paths 1 ms apart that fade anew every frame, with a little noise; the
// window starts `late` samples after the frame.
RepeatClock::Phases fadedRepeat(const RepeatClock::Phases& phases, int f, double ppm, int late,
                                std::mt19937& random) {
  std::normal_distribution<double> gauss;
  const std::complex<double> path1(gauss(random), gauss(random));
  const std::complex<double> path2(gauss(random), gauss(random));
  RepeatClock::Phases window;
  for (int c = 0; c < kRepeatCarriers; ++c) {
    const int bin = repeatCarrierBin(c);
    const double cycles = bin * (f * 1.28 * kCarrierSpacingHz * ppm * 1e-6 + late / 256.0);
    const std::complex<double> echo = std::polar(1.0, -2.0 * M_PI * carrierFrequencyHz(bin) * 1e-3);
    const std::complex<double> noise(0.2 * gauss(random), 0.2 * gauss(random));
    window[static_cast<std::size_t>(c)] = phases[static_cast<std::size_t>(c)] *
                                              std::polar(1.0, 2.0 * M_PI * cycles) *
                                              (path1 + path2 * echo) +
                                          noise;
  }
  return window;
}

RepeatClock::Phases randomPhases(std::mt19937& random) {
  std::uniform_real_distribution<double> angle(0.0, 2.0 * M_PI);
  RepeatClock::Phases phases;
  for (auto& p : phases) p = std::polar(1.0, angle(random));
  return phases;
}

// The channel turns every frame's carriers anew, so the repeats summed over frames scatter; each
// pair of frames, lined up by itself, still gives the clock, also with windows a few samples
// from whole frames apart. A picture that changes gives none.
TEST(RepeatClock, FindsTheClockThroughFadingThatTurnsEveryFrameAnew) {
  std::mt19937 random(7);
  for (double ppm : {100.0, -100.0, 37.0, 0.0}) {
    const RepeatClock::Phases still = randomPhases(random);
    RepeatClock clock;
    for (int f = 0; f < 12; ++f) {
      const int late = (f * 5) % 7 - 3;
      clock.addFrame(fadedRepeat(still, f, ppm, late, random),
                     static_cast<long long>(f) * kCaptureSamples + late, 0.0, 0.85);
    }
    EXPECT_TRUE(clock.clear()) << ppm;
    EXPECT_NEAR(clock.ppm(), ppm, 3.0);
  }
  RepeatClock changing;
  for (int f = 0; f < 12; ++f) {
    changing.addFrame(fadedRepeat(randomPhases(random), f, 0.0, 0, random),
                      static_cast<long long>(f) * kCaptureSamples, 0.0, 0.85);
  }
  EXPECT_FALSE(changing.clear()) << changing.agreement();
}

}  // namespace
}  // namespace mosaic
