#include "receiver/core/tuning/window_spectra.h"

#include "receiver/core/tuning/complex_product.h"
#include "signal/extended.h"
#include "signal/timing.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

void WindowSpectra::prepareMixer(double offsetHz) {
  if (offsetHz == mixerHz_) return;
  mixerHz_ = offsetHz;
  for (int n = 0; n < kLinkWindowSamples; ++n) {
    const double phase = kTwoPi * offsetHz * n / kRxSampleRateHz;
    mixRe_[static_cast<std::size_t>(n)] = static_cast<float>(std::cos(phase));
    mixIm_[static_cast<std::size_t>(n)] = static_cast<float>(std::sin(phase));
  }
}

void WindowSpectra::compute(std::span<const float> history, long long historyStart,
                            std::span<const int> starts, double offsetHz,
                            std::span<WindowSpectrum> out) {
  prepareMixer(offsetHz);
  constexpr int B = Fft256::kBatch;
  for (std::size_t first = 0; first < starts.size(); first += B) {
    const int lanes = static_cast<int>(std::min<std::size_t>(B, starts.size() - first));
    if (lanes < B) {
      std::fill(re_.begin(), re_.end(), 0.0f);
      std::fill(im_.begin(), im_.end(), 0.0f);
    }
    // The transform has the positive exponent: feeding the conjugate of the mixed window and
    // conjugating the result gives the negative one.
    for (int lane = 0; lane < lanes; ++lane) {
      const float* x = history.data() + starts[first + static_cast<std::size_t>(lane)];
      for (int n = 0; n < kLinkWindowSamples; ++n) {
        re_[static_cast<std::size_t>(n * B + lane)] = x[n] * mixRe_[static_cast<std::size_t>(n)];
        im_[static_cast<std::size_t>(n * B + lane)] = -x[n] * mixIm_[static_cast<std::size_t>(n)];
      }
    }
    fft_.transformBatch(re_.data(), im_.data());
    for (int lane = 0; lane < lanes; ++lane) {
      const std::size_t w = first + static_cast<std::size_t>(lane);
      // The mixer's phase at the window's first sample, from the absolute sample count.
      // In extended precision: the count runs far past what a double holds exactly.
      const Extended startSample(static_cast<long long>(historyStart + starts[w]));
      const Extended cycles = Extended(offsetHz) * startSample / Extended(kRxSampleRateHz);
      const double phase = kTwoPi * (cycles - cycles.floor()).toDouble();
      const std::complex<float> rotate(static_cast<float>(std::cos(phase)),
                                       static_cast<float>(std::sin(phase)));
      for (int k = 0; k < kWindowBins; ++k) {
        const std::size_t at = static_cast<std::size_t>(fft_.bitReversed(k) * B + lane);
        // conj(X) rotate, written out (the library's product checks for infinities).
        const float xr = re_[at], xi = -im_[at];
        out[w][static_cast<std::size_t>(k)] = {xr * rotate.real() - xi * rotate.imag(),
                                               xr * rotate.imag() + xi * rotate.real()};
      }
    }
  }
}

}  // namespace mosaic
