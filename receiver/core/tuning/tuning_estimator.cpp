#include "receiver/core/tuning/tuning_estimator.h"

#include "receiver/core/quality/signal_to_noise.h"
#include "receiver/core/tuning/clock_search.h"
#include "receiver/core/tuning/complex_product.h"
#include "receiver/core/tuning/frame_period.h"

#include "signal/carrier_plan.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

namespace {

// Window B starts this far after window A: it ends on the next boundary.
constexpr int kWindowBLag = kCaptureSamples - kLinkWindowSamples;
// Windows on symbol 1 and 47 start this far after window A.
constexpr int kSymbol1Lag = kBlockSamples / 2;
constexpr int kSymbol47Lag = kCaptureSamples - kBlockSamples - kBlockSamples / 2;
constexpr double kForgetting = 0.85;  // per frame, so the estimate follows a slow drift
// A buffer whose fit at the frames' place falls below this share of the recent fit, and fits this
// much better elsewhere (twice at the same place), tells that the sender's frames have moved.
constexpr double kFallenFit = 0.6;
constexpr double kClearlyBetterFit = 1.3;
// A place near the boundary fits this much better than the last boundary before it is taken.
constexpr double kClearlyBetterPlace = 0.01;
// Per buffer: how the fit a boundary had is remembered, so that a fit that stays lower (a
// weaker signal) soon stops calling for searches of the whole frame.
constexpr double kSteadyFitMemory = 0.8;
constexpr double kMultipleSearchHz = 10.0;  // how far from the coarse estimate to look
constexpr double kClearFitPerValue = 0.02;  // log-likelihood per value for a sure multiple
constexpr double kMiddleTonesSure = 0.5;    // the most that a guess from middle tones is sure
constexpr double kMinLinkAgreement = 0.5;
// A clock error of 1 ppm turns the links by this many cycles per bin of the previous carrier.
constexpr double kCyclesPerBinAndPpm = kFrameSeconds * kCarrierSpacingHz * 1e-6;
constexpr double kStillAgreement = 0.9;  // repeats agreeing this well are of a still picture
// The links turned back by the clock that pairs of frames give must agree at least this share as
// well as at their own best for that clock to be taken.
constexpr double kPairsClockLinks = 0.8;
// [ppm] a change of the clock estimate that calls for a new search of the whole frame: the links
// turned back by a clock error this far off still fit within a fraction of a percent.
constexpr double kResearchClockPpm = 20.0;
// The colour carriers' part of the carriers' power in a Mosaic TV signal: 13 of 49 sent alike
// (0.27); from 0.18 to 0.46 through noise, moderate fading and a 300-2700 Hz passband.
constexpr double kLeastColourShare = 0.1;
constexpr double kMostColourShare = 0.7;

// How far apart two frame starts in the history lie, a frame later being the same place.
double samplesApart(int a, int b) {
  return std::abs(std::remainder(a - b, static_cast<double>(kCaptureSamples)));
}

// Both carrier groups sit where they belong. The same sound played at another rate can give
// links that agree (frames that repeat within a buffer) but moves one of the groups out of place.
bool carriersInPlace(const SpectrumRow& meanPower) {
  const SignalToNoise power = signalToNoise(meanPower);
  if (power.signalPower <= 0.0) return false;
  const double colourShare = power.colourPower / power.signalPower;
  return colourShare >= kLeastColourShare && colourShare <= kMostColourShare;
}

}  // namespace

TuningEstimator::TuningEstimator() : history_(kHistorySamples, 0.0f) {
  const std::size_t mostTrials = kCaptureSamples / BoundaryFits::kStep + 1;
  trials_.reserve(mostTrials);
  fits_.reserve(mostTrials);
  starts_.reserve(2 * mostTrials);
  windows_.resize(2 * mostTrials);
}

void TuningEstimator::reset() {
  std::fill(history_.begin(), history_.end(), 0.0f);
  buffers_ = 0;
  meanPower_.fill(0.0f);
  coarseHz_ = 0.0;
  atZeroHz_ = 0.0;
  mixHz_ = 0.0;
  links_.fill({});
  frameAgreeing_ = 0.0;
  frameLinksSize_ = 0.0;
  frames_ = 0;
  repeat_.reset();
  levels_.reset();
  estimate_ = {};
  stillClock_ = false;
  searchedWithClock_ = false;
  searchedAtPpm_ = 0.0;
  steadyFit_ = 0.0;
  boundaryFits_.reset();
  movedTo_ = -1;
}

void TuningEstimator::addBuffer(const std::int16_t* samples) {
  std::copy(history_.begin() + kCaptureSamples, history_.end(), history_.begin());
  std::copy(samples, samples + kCaptureSamples, history_.begin() + kCaptureSamples);
  ++buffers_;

  // The mean spectrum serves the coarse search, which is over once locked.
  if (!estimate_.locked) {
    spectrum_.analyse(std::span<const float>(history_.data() + kCaptureSamples, kCaptureSamples),
                      false);
    for (int i = 0; i < kSpectrumBins; ++i) {
      const auto at = static_cast<std::size_t>(i);
      meanPower_[at] =
          buffers_ == 1 ? spectrum_.mean()[at] : 0.5f * (meanPower_[at] + spectrum_.mean()[at]);
    }
  }
  if (!estimate_.locked) coarseHz_ = coarseOffsetHz(meanPower_);
  if (!estimate_.locked) mixHz_ = coarseHz_;
  estimate_.valid = true;
  if (!estimate_.locked) estimate_.offsetHz = coarseHz_;

  if (buffers_ < 2) return;
  findBoundary();
  if (estimate_.boundaryCoherence < kMinBoundaryCoherence) return;
  measureFrame(estimate_.frameStartInHistory);
  solve();
  // The boundary found before the clock was known may be off by half a symbol and more: look
  // again over the whole frame, with the clock turned back, once a still picture's repeats
  // give it, and again when that estimate has moved.
  if (estimate_.locked && stillClock_ &&
      (!searchedWithClock_ || std::abs(estimate_.clockPpm - searchedAtPpm_) > kResearchClockPpm)) {
    boundaryFits_.reset();
    findBoundary();
    searchedWithClock_ = true;
    searchedAtPpm_ = estimate_.clockPpm;
  }
}

void TuningEstimator::fitTrials(std::span<const int> trials) {
  starts_.clear();
  for (int t : trials) starts_.push_back(t);
  for (int t : trials) starts_.push_back(t + kWindowBLag);
  const std::span<WindowSpectrum> windows(windows_.data(), starts_.size());
  spectra_.compute(history_, (buffers_ - 2) * kCaptureSamples, starts_, mixHz_, windows);
  // A clock error turns the links in proportion to the carrier, which lowers their fit at the
  // boundary more than at some places beside it: 100 ppm moved the best fit by tens of samples,
  // and for a still picture of the same value down each column (which fits almost as well
  // anywhere in the frame) by more than half a symbol. A clock error that the links did not
  // give themselves (a still picture's repeats) is turned back; one fitted to the links taken
  // at this boundary, as under fading, is not trusted for it.
  std::array<std::complex<double>, kLinkCount> unturn;
  const double cyclesPerBin =
      estimate_.locked && stillClock_
          ? estimate_.clockPpm * 1e-6 * kCarrierSpacingHz * kWindowBLag / kRxSampleRateHz
          : 0.0;
  if (cyclesPerBin != 0.0) {
    for (int i = 0; i < kLinkCount; ++i)
      unturn[static_cast<std::size_t>(i)] = clockTurn(i, cyclesPerBin);
  }
  fits_.clear();
  LinkProducts p;
  for (std::size_t t = 0; t < trials.size(); ++t) {
    linkProducts(windows[t], windows[t + trials.size()], p);
    if (cyclesPerBin != 0.0) {
      for (std::size_t i = 0; i < p.size(); ++i) p[i] = times(p[i], unturn[i]);
    }
    fits_.push_back(linkFit(p));
  }
}

std::size_t TuningEstimator::bestSummed() const {
  std::size_t best = 0;
  for (std::size_t t = 1; t < trials_.size(); ++t)
    if (boundaryFits_.at(trials_[t]) > boundaryFits_.at(trials_[best])) best = t;
  return best;
}

std::size_t TuningEstimator::bestNow() const {
  std::size_t best = 0;
  for (std::size_t t = 1; t < fits_.size(); ++t)
    if (fits_[t].coherence() > fits_[best].coherence()) best = t;
  return best;
}

void TuningEstimator::findBoundary() {
  std::vector<int>& trials = trials_;
  // A frame lasts one buffer, so a boundary just before the start of the history is also one
  // just before the middle: trials past either end are taken at the other, and a boundary that
  // the clock's drift carries over an end is followed instead of being held at the end.
  const auto addTrial = [&trials](int q) {
    if (q < 0) q += kCaptureSamples;
    if (q > kCaptureSamples) q -= kCaptureSamples;
    trials.push_back(q);
  };
  // The whole frame, in every buffer: the fits of the frames so far choose the place.
  trials.clear();
  for (int q = 0; q < kCaptureSamples; q += BoundaryFits::kStep) trials.push_back(q);
  fitTrials(trials);
  // Where the frames were, this buffer fits far below their recent level, and clearly better
  // elsewhere, at the same place as in the buffer before: the sender's frames have moved (a gap
  // in its sound), and what was summed at the old place is forgotten. A faded frame also fits
  // little at the boundary, but noise puts its best elsewhere at a new place every time.
  const std::size_t summed = bestSummed();
  const std::size_t now = bestNow();
  const double there = fits_[summed].coherence();
  const bool movedNow = buffers_ > 2 && there < kFallenFit * steadyFit_ &&
                        fits_[now].coherence() > kClearlyBetterFit * there;
  const int movedTo = trials[now];
  const bool moved =
      movedNow && movedTo_ >= 0 && samplesApart(movedTo, movedTo_) <= 2 * BoundaryFits::kStep;
  movedTo_ = movedNow ? movedTo : -1;
  if (moved) {
    boundaryFits_.reset();
    movedTo_ = -1;
  }
  boundaryFits_.nextBuffer(kForgetting);
  for (std::size_t t = 0; t < trials.size(); ++t) boundaryFits_.add(trials[t], fits_[t]);
  int start = trials[bestSummed()];
  // Closer, in this buffer alone: every 4 samples, then every sample. One buffer's fit is nearly
  // flat within a quarter symbol of the boundary, so at every 4th sample the last boundary, when
  // in reach, is kept unless another place fits clearly better: taking the best of nearly equal
  // fits shifted the aligned frame by tens of samples from buffer to buffer.
  const int last = estimate_.frameStartInHistory;
  for (int step : {4, 1}) {
    trials.clear();
    const int reach = step == 4 ? 7 : 3;
    for (int q = start - reach * step; q <= start + reach * step; q += step) addTrial(q);
    std::size_t lastAt = trials.size();  // where the last boundary is among the trials, if it is
    if (step == 4 && last >= 0 && samplesApart(last, start) <= reach * step) {
      lastAt =
          static_cast<std::size_t>(std::find(trials.begin(), trials.end(), last) - trials.begin());
      if (lastAt == trials.size()) trials.push_back(last);
    }
    fitTrials(trials);
    std::size_t best = bestNow();
    if (lastAt < trials.size() &&
        fits_[best].coherence() < fits_[lastAt].coherence() + kClearlyBetterPlace)
      best = lastAt;
    start = trials[best];
  }
  const double coherence = fits_[bestNow()].coherence();
  estimate_.boundaryCoherence = coherence;
  steadyFit_ = std::max(coherence, kSteadyFitMemory * steadyFit_);
  estimate_.frameStartInHistory = start;
  estimate_.frameStartSample = (buffers_ - 2) * kCaptureSamples + start;
}

void TuningEstimator::measureFrame(int start) {
  const long long historyStart = (buffers_ - 2) * kCaptureSamples;
  const int starts[4] = {start, start + kSymbol1Lag, start + kSymbol47Lag, start + kWindowBLag};
  WindowSpectrum w[4];
  spectra_.compute(history_, historyStart, starts, mixHz_, w);
  // A carrier on its grid frequency still turns by what the mixer leaves of the offset.
  const double offset = estimate_.locked ? atZeroHz_ : mixHz_;
  const double quietTurn = kTwoPi * (mixHz_ - offset) / kRxSampleRateHz;
  LinkProducts p;
  boundaryLinks(w[0], w[1], w[2], w[3], quietTurn, p);
  // Turned back by what the mixer turned between the boundaries, the products refer to a mixer
  // at 0 Hz and add up across frames whatever the mixer did.
  const double turn = -kTwoPi * std::fmod(mixHz_ * kFrameSeconds, 1.0);
  const std::complex<double> unmix(std::cos(turn), std::sin(turn));
  for (std::size_t i = 0; i < p.size(); ++i) links_[i] = kForgetting * links_[i] + p[i] * unmix;
  // How well this frame's links agree by themselves, with the clock's turn taken out.
  const double cyclesPerBin = estimate_.clockPpm * kCyclesPerBinAndPpm;
  std::complex<double> sum;
  double size = 0.0;
  for (int i = 0; i < kLinkCount; ++i) {
    const std::complex<double>& v = p[static_cast<std::size_t>(i)];
    sum += times(v, clockTurn(i, cyclesPerBin));
    size += std::abs(v);
  }
  frameAgreeing_ = kForgetting * frameAgreeing_ + std::abs(sum);
  frameLinksSize_ = kForgetting * frameLinksSize_ + size;
  repeat_.addFrame(w[0], historyStart + start, mixHz_, kForgetting);
  levels_.addFrame(history_, historyStart, start, mixHz_, estimate_.clockPpm, kForgetting);
  ++frames_;
}

void TuningEstimator::solve() {
  ClockFit clock = fitClock();
  const FineFit fine = fineFraction(clock);
  const MultipleFit multiple = chooseMultiple(fine.fractionHz);
  estimate_.confidence = std::clamp(clock.agreement * multiple.sure, 0.0, 1.0);
  // Locked: the frame links agree, so the offset is right to a few hundredths of a hertz up to
  // the multiple of 0.78125 Hz, whose choice `confidence` also weighs. The carriers are looked
  // at when the lock is taken; the spectrum is not followed once locked.
  // Fading turns every frame's carriers anew, so the links of several frames can disagree
  // while each frame's agree among themselves: that holds a lock, which takes links that agree
  // across frames.
  const bool framesAgree = estimate_.locked && frameAgreeing_ > kMinLinkAgreement * frameLinksSize_;
  estimate_.locked = frames_ >= 2 && (clock.agreement > kMinLinkAgreement || framesAgree) &&
                     (estimate_.locked || carriersInPlace(meanPower_));
  estimate_.clockPpm = fine.clockPpm;
  if (frames_ >= 2) {
    atZeroHz_ = multiple.offsetHz;
    estimate_.offsetHz = atZeroHz_ + clockCentringHz(estimate_.clockPpm);
  }
  if (estimate_.locked) mixHz_ = multiple.offsetHz;
}

std::complex<double> TuningEstimator::linksTurnedBack(double ppm) const {
  // The links' previous carriers run 56..90, then 12..23: within each group a link's turn is
  // the one before it turned once more by one bin's share.
  const double cyclesPerBin = ppm * kCyclesPerBinAndPpm;
  const double c = std::cos(kTwoPi * cyclesPerBin), s = -std::sin(kTwoPi * cyclesPerBin);
  std::complex<double> sum;
  double tr = 1.0, ti = 0.0;
  for (int i = 0; i < kLinkCount; ++i) {
    if (i == 0 || i == kLumaLinks) {
      const std::complex<double> first = clockTurn(i, cyclesPerBin);
      tr = first.real();
      ti = first.imag();
    } else {
      const double r = tr * c - ti * s;
      ti = tr * s + ti * c;
      tr = r;
    }
    const std::complex<double>& v = links_[static_cast<std::size_t>(i)];
    sum += std::complex<double>(v.real() * tr - v.imag() * ti, v.real() * ti + v.imag() * tr);
  }
  return sum;
}

TuningEstimator::ClockFit TuningEstimator::fitClock() const {
  // The turn per carrier number that makes the links agree best.
  // Over the whole range while searching; near the last value once locked.
  const ClockSearch found =
      searchClock([this](double ppm) { return std::norm(linksTurnedBack(ppm)); },
                  estimate_.locked ? std::nearbyint(estimate_.clockPpm) : 0.0, !estimate_.locked);
  double bestPpm = found.ppm;
  const double bestAgreement = found.score;
  // Only a clock error that makes the links agree clearly better than none counts.
  if (bestAgreement < kClockEvidence * std::norm(linksTurnedBack(0.0))) bestPpm = 0.0;
  ClockFit fit{bestPpm, linksTurnedBack(bestPpm), 0.0};
  double total = 0.0;
  for (const auto& v : links_) total += std::abs(v);
  fit.agreement = total > 0.0 ? std::abs(fit.sum) / total : 0.0;
  return fit;
}

TuningEstimator::FineFit TuningEstimator::fineFraction(ClockFit& clock) {
  // A still picture's repeats give the fraction and the clock error without leaning on the
  // boundary's exact position, which the links do; a picture that changes scatters them.
  const FrameRepeat::Fit still = repeat_.fit();
  const bool stillFraction = still.valid && still.agreement >= kStillAgreement;
  // Fading turns each frame's carriers anew, which scatters the repeats summed over frames (and
  // the links) but leaves each pair of frames lined up: their clock holds there too, and the
  // links' fraction is taken at it. (How well the links agree at their own best stays what
  // holds the lock.)
  stillClock_ = stillFraction;
  if (stillFraction) return {still.fractionHz, still.clockPpm};
  if (still.valid && still.clockFromPairs) {
    // Unless the repeats give the fraction too, the pairs' clock may be bent: a moving patch turns
    // the carriers of its rows by a staircase that a clock's turn partly fits, and fading weighs
    // the pairs unevenly. The links do not lean on the picture, so a clock from the pairs that
    // scatters them is not the sender's, and the links' own is kept.
    const std::complex<double> atPairsClock = linksTurnedBack(still.clockPpm);
    if (std::abs(atPairsClock) >= kPairsClockLinks * std::abs(clock.sum)) {
      stillClock_ = true;
      clock.ppm = still.clockPpm;
      clock.sum = atPairsClock;
    }
  }
  // The links turn by -2 pi f0 1.28 s.
  double fraction = -std::arg(clock.sum) / kTwoPi / kFrameSeconds;
  fraction -= std::floor(fraction / kAmbiguityHz) * kAmbiguityHz;
  return {fraction, clock.ppm};
}

TuningEstimator::MultipleFit TuningEstimator::chooseMultiple(double fractionHz) {
  // The best fit of the picture values, near the coarse estimate while searching and near the
  // last estimate once locked.
  MultipleFit choice{coarseHz_, 0.0};
  double best = -1e300;
  double second = -1e300;
  const double centre = estimate_.locked ? atZeroHz_ : coarseHz_;
  const double reach = estimate_.locked ? 3.0 * kAmbiguityHz : kMultipleSearchHz;
  const long first = std::lround(std::ceil((centre - reach - fractionHz) / kAmbiguityHz));
  const long last = std::lround(std::floor((centre + reach - fractionHz) / kAmbiguityHz));
  // Once locked, the noise and the picture's ends are fitted at the last estimate only.
  if (estimate_.locked) levels_.fit(atZeroHz_);
  for (long n = first; n <= last; ++n) {
    const double candidate = fractionHz + static_cast<double>(n) * kAmbiguityHz;
    const double fit = estimate_.locked ? levels_.refit(candidate) : levels_.fit(candidate);
    if (fit > best) {
      second = best;
      best = fit;
      choice.offsetHz = candidate;
    } else if (fit > second) {
      second = fit;
    }
  }
  // How much better the best multiple fits than the next, per value: a picture that reaches
  // black, white or full colour somewhere tells the multiples apart by a few hundredths and
  // more. For one of middle tones only the choice rests on where such pictures usually lie
  // (centred, neutral parts at 0), which a picture with a colour cast can miss by a multiple.
  const double perValue = levels_.values() > 0.0 ? (best - second) / levels_.values() : 0.0;
  choice.sure = 1.0 - std::exp(-std::max(perValue, 0.0) / kClearFitPerValue);
  if (levels_.middleTonesOnly()) choice.sure = std::min(choice.sure, kMiddleTonesSure);
  return choice;
}

}  // namespace mosaic
