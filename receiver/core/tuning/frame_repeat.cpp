#include "receiver/core/tuning/frame_repeat.h"

#include "receiver/core/tuning/clock_search.h"
#include "receiver/core/tuning/complex_product.h"
#include "receiver/core/tuning/frame_period.h"
#include "receiver/core/tuning/repeat_step.h"

#include "signal/carrier_plan.h"
#include "signal/timing.h"

#include <cmath>

namespace mosaic {

void FrameRepeat::reset() {
  sums_.fill({});
  clock_.reset();
  havePrevious_ = false;
  pairs_ = 0;
  changed_ = 0.0;
}

void FrameRepeat::addFrame(const WindowSpectrum& a, long long start, double mixHz, double keep) {
  // Unmixed: the phases refer to the carriers' own frequencies and to the window's first sample.
  const std::complex<double> unmix =
      turn(-mixHz * static_cast<double>(start) / static_cast<double>(kRxSampleRateHz));
  RepeatPhases now{};
  for (int c = 0; c < kRepeatCarriers; ++c)
    now[static_cast<std::size_t>(c)] =
        times(std::complex<double>(a[static_cast<std::size_t>(repeatCarrierBin(c))]), unmix);

  clock_.addFrame(now, start, mixHz, keep);
  const long long distance = start - previousStart_;
  const bool pair = havePrevious_ && areRepeats(mixHz, previousMixHz_, distance - kCaptureSamples);
  if (pair) {
    // Between the windows carrier k turns by k (distance / 256) whole and fractional cycles on
    // top of the offset (its bin completes k cycles in 256 samples); without that, and with the
    // offset's turn taken over exactly one frame, the sums of all frames agree.
    const double extra = static_cast<double>(distance - kCaptureSamples);
    const std::complex<double> toOneFrame = turn(mixHz * extra / kRxSampleRateHz);
    RepeatPhases products;
    RepeatPower power;
    for (int c = 0; c < kRepeatCarriers; ++c) {
      const auto at = static_cast<std::size_t>(c);
      const std::complex<double> grid = turn(-repeatCarrierBin(c) * extra / kLinkWindowSamples);
      products[at] = times(times(now[at], std::conj(previous_[at])), times(grid, toOneFrame));
      power[at] = std::norm(now[at]) + std::norm(previous_[at]);
    }
    // A pair whose picture changed somewhere turns the carriers made after the change alike,
    // which the sums would take for a mistuning: it is left out, and counts against them.
    if (repeatStepped(products, power)) {
      for (auto& s : sums_) s *= keep;
      changed_ = keep * changed_;
      for (const auto& p : products) changed_ += std::abs(p);
    } else {
      for (std::size_t at = 0; at < sums_.size(); ++at) sums_[at] = keep * sums_[at] + products[at];
      changed_ *= keep;
      ++pairs_;
    }
  } else if (havePrevious_) {
    for (auto& s : sums_) s *= keep;
    changed_ *= keep;
  }
  previous_ = now;
  previousStart_ = start;
  previousMixHz_ = mixHz;
  havePrevious_ = true;
}

FrameRepeat::Fit FrameRepeat::fit() const {
  Fit best;
  double total = 0.0;
  for (const auto& s : sums_) total += std::abs(s);
  if (pairs_ == 0 || total <= 0.0) {
    // Only pairs whose picture changed: they give no offset, but lined up one by one they may
    // still give the clock.
    if (changed_ > 0.0 && clock_.clear()) {
      best.valid = true;
      best.clockPpm = clock_.ppm();
      best.clockFromPairs = true;
    }
    return best;
  }
  // Each carrier turned back by its share of the clock's turn.
  auto sumAt = [this](double ppm) { return turnedBack(sums_, -ppm * kFrameCyclesPerBinAndPpm); };
  // The pairs of frames give the clock once they line up clearly (see repeat_clock.h); until
  // then the sums are searched for it.
  double bestPpm = 0.0;
  double bestSize = 0.0;
  if (clock_.clear()) {
    bestPpm = clock_.ppm();
    bestSize = std::abs(sumAt(bestPpm));
  } else {
    const ClockSearch found = searchClock([&](double ppm) { return std::abs(sumAt(ppm)); });
    bestPpm = found.ppm;
    bestSize = found.score;
  }
  const std::complex<double> sum = sumAt(bestPpm);
  // The repeats turn by -2 pi f0 1.28 s.
  double fraction = -std::arg(sum) / kTwoPi / kFrameSeconds;
  fraction -= std::floor(fraction / kAmbiguityHz) * kAmbiguityHz;
  best.valid = true;
  best.fractionHz = fraction;
  best.clockPpm = bestPpm;
  best.agreement = bestSize / (total + changed_);
  best.clockFromPairs = clock_.clear();
  return best;
}

}  // namespace mosaic
