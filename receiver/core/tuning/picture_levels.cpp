#include "receiver/core/tuning/picture_levels.h"

#include "receiver/core/tuning/complex_product.h"
#include "receiver/core/tuning/frame_period.h"
#include "signal/carrier_plan.h"
#include "signal/timing.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <span>

namespace mosaic {

namespace {

constexpr std::array<double, 3> kLow = {0.0, -4.9008, -3.4744};
constexpr std::array<double, 3> kHigh = {7.96875, 4.9008, 3.4744};
// Noise widths [picture units]; the one used is the nearest at or above the measured noise.
constexpr std::array<double, 9> kWidthUnits = {0.2, 0.28, 0.4, 0.56, 0.8, 1.1, 1.6, 2.2, 3.0};
// Luminance also has a small share at the ends: a picture whose black or white is a few small
// patches (a few percent of the values) otherwise fits the ends no better than anywhere inside.
constexpr std::array<double, 4> kLumaEndShares = {0.0, 0.04, 0.15, 0.4};
constexpr std::array<double, 3> kColourEndShares = {0.0, 0.15, 0.4};
// Colour differences also have a share at 0: the picture's neutral parts.
constexpr std::array<double, 3> kNeutralShares = {0.0, 0.3, 0.6};
// Small black and white patches spill past black and white alike (neighbouring carriers and
// symbols), so when luminance's darkest and lightest kExtremesTail of values span this much of
// its range, less the noise's own spread (kExtremesTailWidths noise widths each side), the
// middle of the two marks the middle of the range. Above kMostExtremesNoise [picture units] of
// noise the extremes are mostly the noise's and tell nothing.
constexpr double kExtremesTail = 0.003;
constexpr double kExtremesTailWidths = 2.75;
constexpr double kExtremesReachedSpan = 0.8;
constexpr double kMostExtremesNoise = 0.5;
// [picture units] one multiple of the offsets the frame links allow
constexpr double kMultipleUnits = kAmbiguityHz / kHzPerPictureUnit;
// A group's values "reach its ends" when, less the noise, they span this much of its range.
constexpr double kEndsReachedSpan = 0.75;
// [picture units] The least blur for luminance that does not reach its ends (see fit()).
constexpr double kMiddleTonesWidth = 2.2;
// [picture units] The least blur for colour differences that do not reach their ends: the
// neutral parts of a photo lie near 0, not at it, so the neutral share is a loose guess. Blurred
// only by the noise, it sharpens as the noise falls until, above about 15 dB, a flat area of one
// colour (the red difference of a green field under a blue sky) gains more by landing on 0, a
// multiple off, than the luminance loses for it.
constexpr double kNeutralColourWidth = 1.1;
// A small share of values is plain wrong: windows across a frame boundary found a few symbols
// off (a picture whose edge columns are black is quiet on every carrier there, like the frame's
// empty symbol, so its links fit anywhere in that stretch) and the sender's clipping. Such
// values fall anywhere in the 30 units a phase turn spans; without this share, the few that land
// far outside the range outweighed the many that fit and moved the choice by a multiple.
constexpr double kStrayShare = 0.002;
constexpr double kTurnSpanUnits = 30.0;
// The right tuning puts no more than a few strays far outside a group's range: a share of values
// beyond it by this many noise widths rules a tuning out while searching. Otherwise a large flat
// area of middle grey was drawn onto black or white as an end share, several multiples of
// 0.78125 Hz off, while a real black or white patch went out of the range, each of its values
// costing only a stray's likelihood. Once locked, the multiples compared lie within a few of the
// last estimate and the fit alone decides: colour bars' values taken across the frame boundary
// can pass that share on one side.
constexpr double kBeyondWidths = 4.0;
// [picture units] At least this: neighbouring carriers and symbols draw the values of small or
// saturated patches out by several tenths at any SNR. Two neighbouring multiples of 0.78125 Hz
// are still told apart by the fit itself; this only rules out tunings far off.
constexpr double kLeastBeyondUnits = 1.5;
constexpr double kMostBeyondShare = 0.01;
constexpr double kBeyondPenalty = 50.0;  // per value beyond that share, far above any gain
// Bins between the colour and luminance carriers, far enough from both to hold only noise.
constexpr int kFirstQuietBin = 30;
constexpr int kLastQuietBin = 50;
// A value is taken where both its windows hold at least this share of the carriers' mean power.
constexpr double kFadedPower = 0.25;
constexpr int kFirstSymbol = 1;
constexpr int kLastSymbol = 47;  // symbols 1..47 carry the picture

int groupOf(int k) {
  switch (carrierContent(k)) {
    case CarrierContent::Luminance:
      return 0;
    case CarrierContent::RedDifference:
      return 1;
    default:
      return 2;
  }
}

double normalCdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }
double normalPdf(double x) { return std::exp(-0.5 * x * x) / std::sqrt(kTwoPi); }

std::size_t neutralSharesOf(std::size_t group) { return group == 0 ? 1 : kNeutralShares.size(); }
std::span<const double> endSharesOf(std::size_t group) {
  if (group == 0) return kLumaEndShares;
  return kColourEndShares;
}

// The shares of a table numbered `shape` within its noise width: low end, high end, neutral.
struct Shares {
  double low, high, neutral;
};
Shares sharesOf(std::size_t group, std::size_t shape) {
  const std::size_t neutral = shape % neutralSharesOf(group);
  const std::size_t ends = shape / neutralSharesOf(group);
  const std::span<const double> end = endSharesOf(group);
  return {end[ends / end.size()], end[ends % end.size()], kNeutralShares[neutral]};
}

// How far apart [picture units] the values below which lies the share `tail` of those in
// `counts` (bins of `binUnits`, centred on 0) and above which as many, less `noiseSpread`, the part
// of that which the noise adds; and their middle.
struct Tails {
  double span, middle;
};
Tails tailsOf(const std::vector<double>& counts, double binUnits, double tail, double noiseSpread) {
  double total = 0.0;
  for (double c : counts) total += c;
  double below = 0.0;
  int lowest = -1, highest = -1;
  for (std::size_t b = 0; b < counts.size() && highest < 0; ++b) {
    below += counts[b];
    if (lowest < 0 && below >= tail * total) lowest = static_cast<int>(b);
    if (below >= (1.0 - tail) * total) highest = static_cast<int>(b);
  }
  const int bins = static_cast<int>(counts.size());
  return {(highest - lowest) * binUnits - noiseSpread, 0.5 * (lowest + highest - bins) * binUnits};
}

// Whether the values in `counts` (bins of `binUnits`), less the spread that a noise of `width`
// adds, reach across most of a range of `rangeUnits`.
bool reachesEnds(const std::vector<double>& counts, double binUnits, double width,
                 double rangeUnits) {
  const double noiseSpread = 2.0 * 2.33 * width;  // the noise's own 1 % to 99 %
  return tailsOf(counts, binUnits, 0.01, noiseSpread).span >= kEndsReachedSpan * rangeUnits;
}

void occupiedBins(const std::vector<double>& counts, int& low, int& high) {
  const int bins = static_cast<int>(counts.size());
  low = 0;
  while (low < bins && counts[static_cast<std::size_t>(low)] == 0.0) ++low;
  high = bins - 1;
  while (high > low && counts[static_cast<std::size_t>(high)] == 0.0) --high;
}

}  // namespace

std::size_t PictureLevels::sharesPerWidth(std::size_t g) {
  return endSharesOf(g).size() * endSharesOf(g).size() * neutralSharesOf(g);
}

PictureLevels::PictureLevels() {
  for (auto& c : counts_) c.assign(kBins, 0.0);
  // Values v = histogram value + offset / 1.25 reach twice the histogram's span.
  for (std::size_t g = 0; g < kGroups; ++g) {
    const double low = kLow[g];
    const double high = kHigh[g];
    logLikelihood_[g].resize(kWidthUnits.size() * sharesPerWidth(g));
    for (std::size_t w = 0; w < kWidthUnits.size(); ++w) {
      const double width = kWidthUnits[w];
      for (std::size_t shape = 0; shape < sharesPerWidth(g); ++shape) {
        const Shares share = sharesOf(g, shape);
        auto& table = logLikelihood_[g][w * sharesPerWidth(g) + shape];
        table.resize(2 * kBins);
        const double evenShare = 1.0 - share.low - share.high - share.neutral;
        for (int i = 0; i < 2 * kBins; ++i) {
          const double v = (i - kBins) * kBinUnits;
          const double p =
              evenShare * (normalCdf((high - v) / width) - normalCdf((low - v) / width)) /
                  (high - low) +
              (share.low * normalPdf((v - low) / width) +
               share.high * normalPdf((v - high) / width) + share.neutral * normalPdf(v / width)) /
                  width;
          const double withStrays = (1.0 - kStrayShare) * p + kStrayShare / kTurnSpanUnits;
          table[static_cast<std::size_t>(i)] = static_cast<float>(std::log(withStrays * kBinUnits));
        }
      }
    }
  }
  for (int s = kFirstSymbol; s <= kLastSymbol; ++s) starts_.push_back(0);
  windows_.resize(starts_.size());
}

void PictureLevels::reset() {
  for (auto& c : counts_) std::fill(c.begin(), c.end(), 0.0);
  frames_ = 0;
  noiseWidth_ = 0.0;
  reachesEnds_.fill(false);
  extremesReach_ = false;
}

void PictureLevels::addFrame(std::span<const float> history, long long historyStart, int frameStart,
                             double mixHz, double clockPpm, double keep) {
  // Symbol s is centred 256 s samples after the frame start.
  for (std::size_t i = 0; i < starts_.size(); ++i) {
    starts_[i] =
        frameStart + kBlockSamples * (kFirstSymbol + static_cast<int>(i)) - kBlockSamples / 2;
  }
  spectra_.compute(history, historyStart, starts_, mixHz, windows_);
  for (auto& c : counts_)
    for (auto& v : c) v = v * keep < 1e-3 ? 0.0 : v * keep;
  // The noise in one bin, from the empty bins between the carriers, and the carriers' mean power.
  double noise = 0.0, carriers = 0.0;
  for (const auto& w : windows_) {
    for (int k = kFirstQuietBin; k <= kLastQuietBin; ++k)
      noise += std::norm(w[static_cast<std::size_t>(k)]);
    for (int k = kFirstLumaCarrier; k <= kLastLumaCarrier; ++k)
      carriers += std::norm(w[static_cast<std::size_t>(k)]);
  }
  noise /= (kLastQuietBin - kFirstQuietBin + 1) * static_cast<double>(windows_.size());
  carriers /= (kLastLumaCarrier - kFirstLumaCarrier + 1) * static_cast<double>(windows_.size());
  // A value from a carrier faded far below the others (fading takes single carriers down by
  // 20 dB and more, and turns their phase quickly there) lies anywhere: it is left out.
  const double leastPower = kFadedPower * carriers;
  // A value is the difference of two phases, each off by sqrt(noise / (2 carrier)) radians.
  const double carrier = std::max(carriers - noise, 1e-9 * (carriers + 1.0));
  const double frameWidth = std::sqrt(noise / carrier) * 30.0 / kTwoPi;
  noiseWidth_ = frames_ == 0 ? frameWidth : keep * noiseWidth_ + (1.0 - keep) * frameWidth;
  const double unitsPerRadian = 30.0 / kTwoPi;  // 12 degrees per picture unit
  auto addCarrier = [&](int k) {
    // What the mixer and the clock add to every value of this carrier, in picture units.
    const double shift = (mixHz + kCarrierSpacingHz * k * clockPpm * 1e-6) / kHzPerPictureUnit;
    auto& counts = counts_[static_cast<std::size_t>(groupOf(k))];
    for (std::size_t i = 1; i < windows_.size(); ++i) {
      const std::complex<float> x = windows_[i][static_cast<std::size_t>(k)];
      const std::complex<float> y = windows_[i - 1][static_cast<std::size_t>(k)];
      const double power = std::min(std::norm(x), std::norm(y));
      if (power < leastPower) continue;
      const double turn = std::atan2(double(x.imag()) * y.real() - double(x.real()) * y.imag(),
                                     double(x.real()) * y.real() + double(x.imag()) * y.imag());
      const double value = turn * unitsPerRadian - shift;
      const long bin = std::lround(value / kBinUnits) + kBins / 2;
      if (bin >= 0 && bin < kBins) counts[static_cast<std::size_t>(bin)] += 1.0;
    }
  };
  for (int k = kFirstLumaCarrier; k <= kLastLumaCarrier; ++k) addCarrier(k);
  for (int k = kFirstVCarrier; k <= kLastUCarrier; ++k) addCarrier(k);
  for (std::size_t g = 0; g < kGroups; ++g) {
    occupiedBins(counts_[g], occupied_[g].first, occupied_[g].second);
    reachesEnds_[g] = reachesEnds(counts_[g], kBinUnits, noiseWidth_, kHigh[g] - kLow[g]);
  }
  // Luminance that does not reach its ends over a percent of its values may still reach both in
  // a few small patches: then the middle of its extremes marks the range's middle.
  extremesReach_ = false;
  if (!reachesEnds_[0] && noiseWidth_ <= kMostExtremesNoise) {
    const Tails extremes =
        tailsOf(counts_[0], kBinUnits, kExtremesTail, 2.0 * kExtremesTailWidths * noiseWidth_);
    extremesReach_ = extremes.span >= kExtremesReachedSpan * (kHigh[0] - kLow[0]);
    extremesMiddle_ = extremes.middle;
  }
  ++frames_;
}

namespace {

// The log-likelihood of the histogram `counts` shifted by `shift` bins under `table`, over the
// bins that hold values.
double logLikelihoodOf(const std::vector<double>& counts, const std::vector<float>& table,
                       long shift, int lowBin, int highBin, int bins) {
  double sum = 0.0;
  for (int b = lowBin; b <= highBin; ++b) {
    const double c = counts[static_cast<std::size_t>(b)];
    if (c == 0.0) continue;
    // Histogram bin b holds value (b - bins / 2) * kBinUnits; the table starts at -bins.
    const long at = std::clamp<long>(b - bins / 2 + shift + bins, 0, 2L * bins - 1);
    sum += c * table[static_cast<std::size_t>(at)];
  }
  return sum;
}

}  // namespace

double PictureLevels::beyondRange(std::size_t g, long shift) const {
  const double margin = std::max(kBeyondWidths * noiseWidth_, kLeastBeyondUnits);
  double beyond = 0.0, all = 0.0;
  for (int b = occupied_[g].first; b <= occupied_[g].second; ++b) {
    const double c = counts_[g][static_cast<std::size_t>(b)];
    all += c;
    const double v = static_cast<double>(b - kBins / 2 + shift) * kBinUnits;
    if (v < kLow[g] - margin || v > kHigh[g] + margin) beyond += c;
  }
  // Only what lies beyond the few strays that any tuning leaves out there counts.
  return kBeyondPenalty * std::max(beyond - kMostBeyondShare * all, 0.0);
}

double PictureLevels::extremesOffCentre(long shift) const {
  if (!extremesReach_) return 0.0;
  const double off = std::abs(extremesMiddle_ + static_cast<double>(shift) * kBinUnits -
                              0.5 * (kLow[0] + kHigh[0]));
  // Only the multiple nearest to centring them remains.
  return off > 0.5 * kMultipleUnits ? kBeyondPenalty * values() : 0.0;
}

double PictureLevels::fit(double offsetHz) {
  const long shift = std::lround(offsetHz / kHzPerPictureUnit / kBinUnits);
  double total = -extremesOffCentre(shift);
  for (std::size_t g = 0; g < kGroups; ++g) {
    const auto [low, high] = occupied_[g];
    // Values of middle tones only fit anywhere well inside the range, and a share at an end
    // would draw their darkest or lightest tones onto it, several hertz off. So colour shares at
    // the ends count only where the values reach across the range, and luminance that does
    // not is blurred more: then it fits best roughly centred, and a large share of black or
    // white (a dark background) still shows at its end.
    const bool ends = reachesEnds_[g] || (g == 0 && extremesReach_);
    const double least = g == 0 ? kMiddleTonesWidth : kNeutralColourWidth;
    const double blur = ends ? noiseWidth_ : std::max(noiseWidth_, least);
    std::size_t width = 0;
    while (width + 1 < kWidthUnits.size() && kWidthUnits[width] < blur) ++width;
    double best = -1e300;
    const std::size_t shapes = sharesPerWidth(g);
    for (std::size_t shape = width * shapes; shape < (width + 1) * shapes; ++shape) {
      const Shares share = sharesOf(g, shape % shapes);
      if (g != 0 && !ends && (share.low > 0.0 || share.high > 0.0)) continue;
      const double l =
          logLikelihoodOf(counts_[g], logLikelihood_[g][shape], shift, low, high, kBins);
      if (l > best) {
        best = l;
        chosenShape_[g] = shape;
      }
    }
    total += best - beyondRange(g, shift);
  }
  return total;
}

double PictureLevels::values() const {
  double n = 0.0;
  for (const auto& c : counts_)
    for (double v : c) n += v;
  return n;
}

double PictureLevels::refit(double offsetHz) const {
  const long shift = std::lround(offsetHz / kHzPerPictureUnit / kBinUnits);
  double total = -extremesOffCentre(shift);
  for (std::size_t g = 0; g < kGroups; ++g) {
    const auto [low, high] = occupied_[g];
    total +=
        logLikelihoodOf(counts_[g], logLikelihood_[g][chosenShape_[g]], shift, low, high, kBins);
  }
  return total;
}

}  // namespace mosaic
