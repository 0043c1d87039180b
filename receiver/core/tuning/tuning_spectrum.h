#pragma once
// The power spectrum of the received audio for the tuning display and for the coarse offset
// search: 1024-point transforms of Hann-windowed stretches, 9.375 Hz apart, over 300..3600 Hz;
// and a close view of 2060..2160 Hz around carrier 56, the tuning reference, from the newest
// 4096 samples at 0.586 Hz steps.

#include "receiver/core/tuning/power_fft.h"

#include <array>
#include <span>

namespace mosaic {

inline constexpr int kSpectrumFftSize = 1024;
inline constexpr double kSpectrumBinHz = 9600.0 / kSpectrumFftSize;  // 9.375 Hz
inline constexpr int kSpectrumFirstBin = 32;                         // 300 Hz
inline constexpr int kSpectrumLastBin = 384;                         // 3600 Hz
inline constexpr int kSpectrumBins = kSpectrumLastBin - kSpectrumFirstBin + 1;

inline constexpr int kZoomSamples = 4096;
inline constexpr int kZoomFftSize = 16384;
inline constexpr double kZoomBinHz = 9600.0 / kZoomFftSize;  // 0.586 Hz
inline constexpr int kZoomFirstBin = 3516;                   // 2060.2 Hz
inline constexpr int kZoomBins = 171;                        // to 2159.8 Hz

using SpectrumRow = std::array<float, kSpectrumBins>;
using ZoomRow = std::array<float, kZoomBins>;

class TuningSpectrum {
 public:
  TuningSpectrum();

  // Takes a stretch of audio: the newest transform (over its last 1024 samples), the close
  // view (over its last 4096 samples, when it has them and `closeView`) and the mean over all
  // its whole 1024-sample pieces.
  void analyse(std::span<const float> samples, bool closeView = true);

  // Power per bin [dB relative to a full-scale sine] of the newest 1024 samples.
  const SpectrumRow& newestDb() const { return newestDb_; }
  // The close view around carrier 56 [dB relative to a full-scale sine].
  const ZoomRow& zoomDb() const { return zoomDb_; }
  // Mean power per bin of the last stretch (linear).
  const SpectrumRow& mean() const { return mean_; }
  static double binHz(int i) { return (kSpectrumFirstBin + i) * kSpectrumBinHz; }
  static double zoomBinHz(int i) { return (kZoomFirstBin + i) * kZoomBinHz; }

 private:
  PowerFft wide_;
  PowerFft zoom_;
  SpectrumRow newestDb_{};
  ZoomRow zoomDb_{};
  SpectrumRow mean_{};
  SpectrumRow scratch_{};
  ZoomRow zoomScratch_{};
};

// The coarse tuning offset [Hz] that best lays the carrier plan over a mean power spectrum,
// searched over -24..24 Hz: every carrier's band (luminance at and above its grid frequency,
// colour on both sides) holds power, the empty places next to the plan's ends hold none.
double coarseOffsetHz(const SpectrumRow& meanPower);

}  // namespace mosaic
