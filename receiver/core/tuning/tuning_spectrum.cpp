#include "receiver/core/tuning/tuning_spectrum.h"

#include "signal/carrier_plan.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

namespace {

// The integral of the spectrum from its first bin to frequency `hz`, linear between bin centres.
double integralTo(const std::vector<double>& cumulative, double hz) {
  const double pos = hz / kSpectrumBinHz - kSpectrumFirstBin;
  if (pos <= 0.0) return 0.0;
  const double last = static_cast<double>(cumulative.size() - 1);
  if (pos >= last) return cumulative.back();
  const auto i = static_cast<std::size_t>(pos);
  const double f = pos - static_cast<double>(i);
  return cumulative[i] * (1.0 - f) + cumulative[i + 1] * f;
}

double bandPower(const std::vector<double>& cumulative, double lowHz, double highHz) {
  return integralTo(cumulative, highHz) - integralTo(cumulative, lowHz);
}

}  // namespace

TuningSpectrum::TuningSpectrum() : wide_(kSpectrumFftSize), zoom_(kZoomFftSize) {
  newestDb_.fill(-200.0f);
  zoomDb_.fill(-200.0f);
}

namespace {
template <std::size_t N>
void toDb(const std::array<float, N>& power, std::array<float, N>& db) {
  for (std::size_t i = 0; i < N; ++i)
    db[i] = static_cast<float>(10.0 * std::log10(std::max(double(power[i]), 1e-20)));
}
}  // namespace

void TuningSpectrum::analyse(std::span<const float> samples, bool closeView) {
  const std::size_t pieces = samples.size() / kSpectrumFftSize;
  if (pieces == 0) return;
  if (pieces > 1) {
    mean_.fill(0.0f);
    for (std::size_t p = 0; p < pieces; ++p) {
      wide_.power(samples.subspan(p * kSpectrumFftSize, kSpectrumFftSize), kSpectrumFirstBin,
                  scratch_);
      for (std::size_t i = 0; i < scratch_.size(); ++i)
        mean_[i] += scratch_[i] / static_cast<float>(pieces);
    }
  }
  wide_.power(samples.last(kSpectrumFftSize), kSpectrumFirstBin, scratch_);
  if (pieces == 1) mean_ = scratch_;
  toDb(scratch_, newestDb_);
  if (closeView && samples.size() >= kZoomSamples) {
    zoom_.power(samples.last(kZoomSamples), kZoomFirstBin, zoomScratch_);
    toDb(zoomScratch_, zoomDb_);
  }
}

double coarseOffsetHz(const SpectrumRow& meanPower) {
  std::vector<double> cumulative(kSpectrumBins + 1, 0.0);
  for (int i = 0; i < kSpectrumBins; ++i) {
    cumulative[static_cast<std::size_t>(i) + 1] =
        cumulative[static_cast<std::size_t>(i)] + meanPower[static_cast<std::size_t>(i)];
  }
  // integralTo counts bin i from its centre to the next one's; shifted by half a bin, each bin
  // counts for the half bins on either side of its centre.
  auto band = [&](double lowHz, double highHz) {
    return bandPower(cumulative, lowHz + kSpectrumBinHz / 2, highHz + kSpectrumBinHz / 2);
  };
  double best = 0.0;
  double bestScore = -1e300;
  for (int step = -96; step <= 96; ++step) {
    const double f0 = step * 0.25;
    double score = 0.0;
    for (int k = kFirstLumaCarrier; k <= kLastLumaCarrier; ++k) {
      const double hz = carrierFrequencyHz(k) - f0;
      score += band(hz - 5.0, hz + 15.0);
    }
    for (int k = kFirstVCarrier; k <= kLastUCarrier; ++k) {
      const double hz = carrierFrequencyHz(k) - f0;
      score += band(hz - 9.0, hz + 9.0);
    }
    // The empty places just outside both groups tell the plan from itself one carrier over.
    double outside = 0.0;
    for (int k :
         {kFirstLumaCarrier - 1, kLastLumaCarrier + 1, kFirstVCarrier - 1, kLastUCarrier + 1}) {
      const double hz = carrierFrequencyHz(k) - f0;
      outside += band(hz - 9.0, hz + 9.0);
    }
    score -= outside;
    if (score > bestScore) {
      bestScore = score;
      best = f0;
    }
  }
  return best;
}

}  // namespace mosaic
