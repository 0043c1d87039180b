#include "receiver/core/tuning/repeat_clock.h"

#include "receiver/core/tuning/complex_product.h"
#include "receiver/core/tuning/window_spectra.h"

#include <cmath>
#include <cstdlib>

namespace mosaic {

namespace {

// The pairs that four frames give, and how well they must line up (see agreement()).
constexpr int kLeastPairs = 6;
constexpr double kLinedUp = 0.5;

}  // namespace

bool isRepeatGroupStart(int carrier) {
  return carrier == 0 || repeatCarrierBin(carrier) != repeatCarrierBin(carrier - 1) + 1;
}

int repeatCarrierBin(int carrier) {
  const int luma = kLastLumaCarrier - kFirstLumaCarrier + 1;
  return carrier < luma ? kFirstLumaCarrier + carrier : kFirstVCarrier + carrier - luma;
}

bool areRepeats(double mixHz, double olderMixHz, long long extraSamples) {
  return std::abs(mixHz - olderMixHz) < 0.1 && std::llabs(extraSamples) < kCaptureSamples / 8;
}

std::complex<double> turnedBack(const RepeatPhases& products, double cyclesPerBin) {
  const std::complex<double> step = turn(cyclesPerBin);
  std::complex<double> sum, t;
  for (int c = 0; c < kRepeatCarriers; ++c) {
    t = isRepeatGroupStart(c) ? turn(cyclesPerBin * repeatCarrierBin(c)) : times(t, step);
    sum += times(products[static_cast<std::size_t>(c)], t);
  }
  return sum;
}

void RepeatClock::reset() {
  kept_ = 0;
  newest_ = -1;
  lineUp_.fill(0.0);
  mostLineUp_ = 0.0;
  pairs_ = 0;
}

void RepeatClock::addFrame(const Phases& unmixed, long long start, double mixHz, double keep) {
  for (double& l : lineUp_) l *= keep;
  mostLineUp_ *= keep;
  for (int back = 0; back < kept_; ++back) {
    const Frame& older =
        frames_[static_cast<std::size_t>((newest_ - back + kMostFramesApart) % kMostFramesApart)];
    const int apart = back + 1;
    const long long extra = start - older.start - static_cast<long long>(apart) * kCaptureSamples;
    if (areRepeats(mixHz, older.mixHz, extra)) addPair(unmixed, older.phases, apart, extra);
  }
  newest_ = (newest_ + 1) % kMostFramesApart;
  frames_[static_cast<std::size_t>(newest_)] = {unmixed, start, mixHz};
  if (kept_ < kMostFramesApart) ++kept_;
}

void RepeatClock::addPair(const Phases& newer, const Phases& older, int framesApart,
                          long long extra) {
  // Between the windows carrier k turns by k (distance / 256) whole and fractional cycles on
  // top of the offset and the clock (its bin completes k cycles in 256 samples): taken out, the
  // windows may lie a few samples from whole frames apart.
  Phases product;
  double size = 0.0;
  for (int c = 0; c < kRepeatCarriers; ++c) {
    const auto at = static_cast<std::size_t>(c);
    const std::complex<double> grid =
        turn(-repeatCarrierBin(c) * static_cast<double>(extra) / kLinkWindowSamples);
    product[at] = times(times(newer[at], std::conj(older[at])), grid);
    size += std::abs(product[at]);
  }
  if (size <= 0.0) return;
  // Each pair counts by its power: one strong pair whose fading lines up a ghost of the clock
  // would otherwise outweigh all the others.
  mostLineUp_ += size;
  // Each carrier turned back by its share of the trial clock's turn.
  for (int i = 0; i < kTrials; ++i) {
    const double ppm = -kMaxPpm + i * kPpmStep;
    const std::complex<double> sum =
        turnedBack(product, -ppm * framesApart * kFrameCyclesPerBinAndPpm);
    lineUp_[static_cast<std::size_t>(i)] += std::norm(sum) / size;
  }
  ++pairs_;
}

std::size_t RepeatClock::best() const {
  std::size_t best = 0;
  for (std::size_t i = 1; i < lineUp_.size(); ++i)
    if (lineUp_[i] > lineUp_[best]) best = i;
  return best;
}

bool RepeatClock::clear() const { return pairs_ >= kLeastPairs && agreement() >= kLinedUp; }

double RepeatClock::agreement() const {
  return mostLineUp_ > 0.0 ? std::sqrt(lineUp_[best()] / mostLineUp_) : 0.0;
}

double RepeatClock::ppm() const {
  const std::size_t best = this->best();
  // Only a clock error that lines the pairs up clearly better than none counts.
  const auto none = static_cast<std::size_t>(kMaxPpm / kPpmStep);
  if (lineUp_[best] < kClockEvidence * lineUp_[none]) return 0.0;
  double shift = 0.0;  // between the trials, from the parabola through the best and its sides
  if (best > 0 && best + 1 < lineUp_.size()) {
    const double below = lineUp_[best - 1], at = lineUp_[best], above = lineUp_[best + 1];
    const double curve = below - 2.0 * at + above;
    if (curve < 0.0) shift = 0.5 * (below - above) / curve;
  }
  return -kMaxPpm + (static_cast<double>(best) + shift) * kPpmStep;
}

}  // namespace mosaic
