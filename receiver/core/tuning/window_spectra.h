#pragma once
// Spectra of one-symbol windows (256 samples) at the carrier bins, for the tuning estimator.
// A window is mixed up by a trial offset and transformed, so bin k measures the audio frequency
// 37.5 k - offset Hz; the phase refers to the window's first sample and the mixing phase to the
// absolute sample count, so windows far apart stay comparable.

#include "receiver/core/demodulation/fft256.h"

#include <array>
#include <complex>
#include <span>

namespace mosaic {

inline constexpr int kLinkWindowSamples = 256;
// Bins kept per window: 0..95 covers every carrier and its neighbours.
inline constexpr int kWindowBins = 96;

using WindowSpectrum = std::array<std::complex<float>, kWindowBins>;

class WindowSpectra {
 public:
  WindowSpectra() = default;

  // The spectra of the windows that start at history[starts[i]], where history[0] is absolute
  // sample `historyStart`, mixed by `offsetHz`. Every window must lie inside `history`.
  void compute(std::span<const float> history, long long historyStart, std::span<const int> starts,
               double offsetHz, std::span<WindowSpectrum> out);

 private:
  void prepareMixer(double offsetHz);

  Fft256 fft_;
  double mixerHz_ = 1e9;
  std::array<float, kLinkWindowSamples> mixRe_{};  // e^(j 2 pi f n / 9600), n = 0..255
  std::array<float, kLinkWindowSamples> mixIm_{};
  alignas(64) std::array<float, Fft256::kSize * Fft256::kBatch> re_{};
  alignas(64) std::array<float, Fft256::kSize * Fft256::kBatch> im_{};
};

}  // namespace mosaic
