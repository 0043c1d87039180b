#include "receiver/core/tuning/tuning_spectrum.h"

#include "signal/carrier_plan.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

namespace {

constexpr double kTwoPi = 6.283185307179586476925;
constexpr int kBits = 10;
// A full-scale sine through the Hann window: amplitude 32767 x sum of the window / 2.
constexpr double kFullScaleSum = 32767.0 * kSpectrumFftSize / 4.0;

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

TuningSpectrum::TuningSpectrum()
    : window_(kSpectrumFftSize),
      twiddleRe_(kSpectrumFftSize),
      twiddleIm_(kSpectrumFftSize),
      bitReverse_(kSpectrumFftSize),
      re_(kSpectrumFftSize),
      im_(kSpectrumFftSize) {
  for (int n = 0; n < kSpectrumFftSize; ++n) {
    window_[static_cast<std::size_t>(n)] =
        static_cast<float>(0.5 - 0.5 * std::cos(kTwoPi * n / kSpectrumFftSize));
    int r = 0;
    for (int bit = 0; bit < kBits; ++bit) r |= ((n >> bit) & 1) << (kBits - 1 - bit);
    bitReverse_[static_cast<std::size_t>(n)] = r;
  }
  // The stage that joins transforms of size `half` uses e^(-j 2 pi j / (2 half)), j < half,
  // stored from index `half` on.
  for (int half = 1; half < kSpectrumFftSize; half *= 2) {
    for (int j = 0; j < half; ++j) {
      const double a = -kTwoPi * j / (2.0 * half);
      twiddleRe_[static_cast<std::size_t>(half + j)] = static_cast<float>(std::cos(a));
      twiddleIm_[static_cast<std::size_t>(half + j)] = static_cast<float>(std::sin(a));
    }
  }
  newestDb_.fill(-200.0f);
}

void TuningSpectrum::transform(const float* x, SpectrumRow& power) {
  float* re = re_.data();
  float* im = im_.data();
  for (int n = 0; n < kSpectrumFftSize; ++n) {
    const auto at = static_cast<std::size_t>(bitReverse_[static_cast<std::size_t>(n)]);
    re[at] = x[n] * window_[static_cast<std::size_t>(n)];
    im[at] = 0.0f;
  }
  // Radix-2 decimation in time, in place; each stage's factors lie side by side.
  for (int half = 1; half < kSpectrumFftSize; half *= 2) {
    const float* wRe = twiddleRe_.data() + half;
    const float* wIm = twiddleIm_.data() + half;
    for (int start = 0; start < kSpectrumFftSize; start += 2 * half) {
      float* __restrict aRe = re + start;
      float* __restrict aIm = im + start;
      float* __restrict bRe = re + start + half;
      float* __restrict bIm = im + start + half;
      for (int j = 0; j < half; ++j) {
        const float tRe = bRe[j] * wRe[j] - bIm[j] * wIm[j];
        const float tIm = bRe[j] * wIm[j] + bIm[j] * wRe[j];
        bRe[j] = aRe[j] - tRe;
        bIm[j] = aIm[j] - tIm;
        aRe[j] += tRe;
        aIm[j] += tIm;
      }
    }
  }
  for (int i = 0; i < kSpectrumBins; ++i) {
    const auto at = static_cast<std::size_t>(kSpectrumFirstBin + i);
    power[static_cast<std::size_t>(i)] = re[at] * re[at] + im[at] * im[at];
  }
}

void TuningSpectrum::analyse(std::span<const float> samples) {
  const std::size_t pieces = samples.size() / kSpectrumFftSize;
  if (pieces == 0) return;
  mean_.fill(0.0f);
  for (std::size_t p = 0; p < pieces; ++p) {
    transform(samples.data() + p * kSpectrumFftSize, scratch_);
    for (int i = 0; i < kSpectrumBins; ++i)
      mean_[static_cast<std::size_t>(i)] +=
          scratch_[static_cast<std::size_t>(i)] / static_cast<float>(pieces);
  }
  transform(samples.data() + samples.size() - kSpectrumFftSize, scratch_);
  const double fullScale = kFullScaleSum * kFullScaleSum;
  for (int i = 0; i < kSpectrumBins; ++i) {
    const double p = scratch_[static_cast<std::size_t>(i)] / fullScale;
    newestDb_[static_cast<std::size_t>(i)] =
        static_cast<float>(10.0 * std::log10(std::max(p, 1e-20)));
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
