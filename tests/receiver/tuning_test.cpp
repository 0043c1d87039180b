// The tuning aid's parts on their own: slider positions for an offset, the spectrum's scale,
// the coarse search over a carrier plan laid off its grid, the clock from a still picture's
// repeats under fading, and the repeats of a picture that changed in one row.

#include "receiver/core/tuning/frame_repeat.h"
#include "receiver/core/tuning/repeat_clock.h"
#include "receiver/core/tuning/repeat_step.h"
#include "receiver/core/tuning/slider_offset.h"
#include "receiver/core/tuning/tuning_spectrum.h"
#include "receiver/core/tuning/window_spectra.h"
#include "signal/carrier_plan.h"
#include "signal/timing.h"
#include "tests/receiver/test_signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>
#include <random>
#include <utility>
#include <vector>

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

// A pair of windows one frame apart on a picture whose carriers start at `phases`: the second
// turned by `cycles` for every carrier, by a clock `ppm` off in proportion to its bin, further by
// `step` for every carrier from `changedFrom` on (in the order the transmitter makes them), and
// bent smoothly by `bend`; noise of deviation `noise` on both. The products as the repeats take
// them, and the windows' powers.
struct WindowPair {
  RepeatPhases products;
  RepeatPower power;
};
WindowPair windowPair(const RepeatPhases& phases, double cycles, double ppm, int changedFrom,
                      double step, double bend, double noise, std::mt19937& random) {
  std::normal_distribution<double> gauss(0.0, noise);
  WindowPair pair;
  for (int c = 0; c < kRepeatCarriers; ++c) {
    const auto at = static_cast<std::size_t>(c);
    const int bin = repeatCarrierBin(c);
    const double turnCycles = cycles + bin * 1.28 * kCarrierSpacingHz * ppm * 1e-6 +
                              (c >= changedFrom ? step : 0.0) + bend * std::sin(bin / 6.0);
    const std::complex<double> older =
        phases[at] + std::complex<double>(gauss(random), gauss(random));
    const std::complex<double> newer = phases[at] * std::polar(1.0, 2.0 * M_PI * turnCycles) +
                                       std::complex<double>(gauss(random), gauss(random));
    pair.products[at] = newer * std::conj(older);
    pair.power[at] = std::norm(newer) + std::norm(older);
  }
  return pair;
}

// One row changed between the frames turns every carrier made after it alike: a step, found
// wherever it lies, also with the sending clock off. A step of 0.4 cycles stands out of noise a
// tenth of the carriers' amplitude (17 dB on each window), a smaller one out of less noise. A
// still picture's products scatter with the noise and bend smoothly across the carriers (by up to
// a few hundredths of a cycle from one to the next): no step, down to a noise a third of the
// carriers' amplitude; nor is one too small to move the offset by more than a few hundredths of a
// hertz.
TEST(RepeatStep, AChangedRowStepsButNoiseABendOrATinyStepDoNot) {
  std::mt19937 random(11);
  for (int changedFrom : {1, 4, 20, 35, 38, 48}) {
    for (const auto& [step, noise] : {std::pair{0.12, 0.02}, std::pair{0.3, 0.07},
                                      std::pair{-0.4, 0.1}, std::pair{0.45, 0.07}}) {
      for (double ppm : {0.0, 100.0, -100.0}) {
        const WindowPair pair =
            windowPair(randomPhases(random), 0.37, ppm, changedFrom, step, 0.0, noise, random);
        EXPECT_TRUE(repeatStepped(pair.products, pair.power))
            << changedFrom << ", " << step << " cycles, " << ppm << " ppm";
      }
    }
  }
  int stepped = 0, trials = 0;
  for (double noise : {0.03, 0.1, 0.2, 0.33}) {
    for (double ppm : {0.0, 100.0, -250.0}) {
      for (int trial = 0; trial < 30; ++trial) {
        const WindowPair pair =
            windowPair(randomPhases(random), 0.1 * trial, ppm, 0, 0.0, 0.15, noise, random);
        stepped += repeatStepped(pair.products, pair.power);
        ++trials;
      }
    }
  }
  EXPECT_EQ(stepped, 0) << "of " << trials << " still pairs";
  const WindowPair tiny = windowPair(randomPhases(random), 0.2, 0.0, 10, 0.03, 0.0, 0.01, random);
  EXPECT_FALSE(repeatStepped(tiny.products, tiny.power));
}

// Window A of one frame, the carriers at `phases` turned by `cycles`.
WindowSpectrum windowA(const RepeatPhases& phases, const std::vector<double>& cycles) {
  WindowSpectrum w{};
  for (int c = 0; c < kRepeatCarriers; ++c) {
    const auto at = static_cast<std::size_t>(c);
    w[static_cast<std::size_t>(repeatCarrierBin(c))] =
        std::complex<float>(phases[at] * std::polar(1.0, 2.0 * M_PI * cycles[at]));
  }
  return w;
}

// A line of text moving on along the bottom rows every frame changes the first carriers made and
// turns all those after them alike, by another angle every frame. Summed as a still picture's,
// one such pair agrees 0.93 and gives the offset tenths of a hertz off; it is no still picture.
// Lined up one by one, the pairs still give a sending clock's error.
TEST(FrameRepeat, ALineChangingEveryFrameNeitherMovesTheOffsetNorClaimsAStillPicture) {
  std::mt19937 random(13);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double offsetHz = 0.3;  // the repeats turn by -offset 1.28 s per frame
  for (const auto& [crawl, ppm] :
       {std::pair{false, 0.0}, std::pair{true, 0.0}, std::pair{true, 100.0}}) {
    const RepeatPhases phases = randomPhases(random);
    std::vector<double> crawled(kRepeatCarriers, 0.0);
    std::vector<double> cycles(kRepeatCarriers, 0.0);
    FrameRepeat repeat;
    for (int f = 0; f < 8; ++f) {
      // Carriers 1..3 carry the changed rows: each turns those after it on by its own angle.
      double turned = 0.0;
      for (int c = 1; crawl && f > 0 && c < kRepeatCarriers; ++c) {
        if (c <= 3) turned += 0.1 + 0.3 * unit(random);
        crawled[static_cast<std::size_t>(c)] += turned;
      }
      for (int c = 0; c < kRepeatCarriers; ++c) {
        const auto at = static_cast<std::size_t>(c);
        cycles[at] = (-offsetHz + carrierFrequencyHz(repeatCarrierBin(c)) * ppm * 1e-6) * 1.28 * f +
                     crawled[at];
      }
      repeat.addFrame(windowA(phases, cycles), static_cast<long long>(f) * kCaptureSamples, 0.0,
                      0.85);
      const FrameRepeat::Fit fit = repeat.fit();
      if (f == 0) continue;
      if (crawl) {
        EXPECT_FALSE(fit.valid && fit.agreement >= 0.9) << "frame " << f << ": " << fit.agreement;
      } else {
        ASSERT_TRUE(fit.valid) << f;
        EXPECT_GT(fit.agreement, 0.99) << f;
        EXPECT_NEAR(fit.fractionHz, offsetHz, 0.005) << f;
      }
    }
    const FrameRepeat::Fit last = repeat.fit();
    if (ppm != 0.0) {
      EXPECT_TRUE(last.valid && last.clockFromPairs);
      EXPECT_NEAR(last.clockPpm, ppm, 5.0);
    }
  }
}

}  // namespace
}  // namespace mosaic
