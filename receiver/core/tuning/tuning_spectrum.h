#pragma once
// The power spectrum of the received audio for the tuning display and for the coarse offset
// search: 1024-point transforms of Hann-windowed stretches, 9.375 Hz apart, over 300..3600 Hz.

#include <array>
#include <span>
#include <vector>

namespace mosaic {

inline constexpr int kSpectrumFftSize = 1024;
inline constexpr double kSpectrumBinHz = 9600.0 / kSpectrumFftSize;  // 9.375 Hz
inline constexpr int kSpectrumFirstBin = 32;                         // 300 Hz
inline constexpr int kSpectrumLastBin = 384;                         // 3600 Hz
inline constexpr int kSpectrumBins = kSpectrumLastBin - kSpectrumFirstBin + 1;

using SpectrumRow = std::array<float, kSpectrumBins>;

class TuningSpectrum {
 public:
  TuningSpectrum();

  // Takes a stretch of audio: the newest transform (over its last 1024 samples) and the mean
  // over all its whole 1024-sample pieces.
  void analyse(std::span<const float> samples);

  // Power per bin [dB relative to a full-scale sine], of the newest 1024 samples.
  const SpectrumRow& newestDb() const { return newestDb_; }
  // Mean power per bin of the last stretch (linear).
  const SpectrumRow& mean() const { return mean_; }
  // The frequency of display bin i [Hz].
  static double binHz(int i) { return (kSpectrumFirstBin + i) * kSpectrumBinHz; }

 private:
  void transform(const float* x, SpectrumRow& power);

  std::vector<float> window_;
  std::vector<float> twiddleRe_;
  std::vector<float> twiddleIm_;
  std::vector<int> bitReverse_;
  std::vector<float> re_;
  std::vector<float> im_;
  SpectrumRow newestDb_{};
  SpectrumRow mean_{};
  SpectrumRow scratch_{};
};

// The coarse tuning offset [Hz] that best lays the carrier plan over a mean power spectrum,
// searched over -24..24 Hz: every carrier's band (luminance at and above its grid frequency,
// colour on both sides) holds power, the empty places next to the plan's ends hold none.
double coarseOffsetHz(const SpectrumRow& meanPower);

}  // namespace mosaic
