#include "receiver/core/quality/signal_to_noise.h"

#include "signal/carrier_plan.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

namespace {

// Grid bins 30..50: between the colour carriers (up to bin 24) and the luminance carriers (from
// bin 56), far enough from both that a carrier's sidelobes stay below the noise of 60 dB.
constexpr double kQuietLowHz = 30 * kCarrierSpacingHz;
constexpr double kQuietHighHz = 50 * kCarrierSpacingHz;
// Each carrier band reaches two grid steps beyond its outer carriers: room for the mistuning,
// the picture values' shift (up to 10 Hz up) and the transform's main lobe.
constexpr double kBandMarginHz = 2 * kCarrierSpacingHz;

int spectrumIndex(double hz) {
  return std::clamp(static_cast<int>(std::lround(hz / kSpectrumBinHz)) - kSpectrumFirstBin, 0,
                    kSpectrumBins - 1);
}

// The sum of the spectrum over lowHz..highHz and how many bins that is.
double bandSum(const SpectrumRow& power, double lowHz, double highHz, int& bins) {
  const int low = spectrumIndex(lowHz);
  const int high = spectrumIndex(highHz);
  double sum = 0.0;
  for (int i = low; i <= high; ++i) sum += power[static_cast<std::size_t>(i)];
  bins += high - low + 1;
  return sum;
}

}  // namespace

SignalToNoise signalToNoise(const SpectrumRow& meanPower) {
  int quietBins = 0;
  const double noisePerBin = bandSum(meanPower, kQuietLowHz, kQuietHighHz, quietBins) / quietBins;
  int colourBins = 0;
  const double colour = bandSum(meanPower, carrierFrequencyHz(kFirstVCarrier) - kBandMarginHz,
                                carrierFrequencyHz(kLastUCarrier) + kBandMarginHz, colourBins);
  int lumaBins = 0;
  const double luma = bandSum(meanPower, carrierFrequencyHz(kFirstLumaCarrier) - kBandMarginHz,
                              carrierFrequencyHz(kLastLumaCarrier) + kBandMarginHz, lumaBins);
  const double band = colour + luma;
  const int bandBins = colourBins + lumaBins;
  // Signal and noise both spread over the window's main lobe alike, so bin sums compare.
  SignalToNoise result;
  result.signalPower = std::max(band - noisePerBin * bandBins, 0.0);
  result.colourPower = std::max(colour - noisePerBin * colourBins, 0.0);
  result.luminancePower = std::max(luma - noisePerBin * lumaBins, 0.0);
  result.noisePower = noisePerBin * kSnrBandwidthHz / kSpectrumBinHz;
  const double snrDb = result.signalPower <= 0.0 ? kLowestSnrDb
                       : result.noisePower <= 0.0
                           ? kHighestSnrDb
                           : 10.0 * std::log10(result.signalPower / result.noisePower);
  result.snrDb = std::clamp(snrDb, kLowestSnrDb, kHighestSnrDb);
  return result;
}

const SignalToNoise& SnrMeter::measure(std::span<const std::int16_t> samples) {
  const std::size_t count =
      std::min(samples.size(), kMostSamples) / kSpectrumFftSize * kSpectrumFftSize;
  if (count == 0) return latest_;
  std::copy(samples.end() - static_cast<std::ptrdiff_t>(count), samples.end(), samples_.begin());
  spectrum_.analyse(std::span<const float>(samples_).first(count), false);
  latest_ = signalToNoise(spectrum_.mean());
  return latest_;
}

}  // namespace mosaic
