#pragma once
// The carrier bins of 256-sample windows of the demodulator's mixed signal at any start, for
// windows the demodulator's own grid does not have; and the noise power in the empty bins
// between the colour and the luminance carriers.

#include "receiver/core/demodulation/fft256.h"
#include "receiver/core/demodulation/frequency_shift.h"
#include "signal/carrier_plan.h"

#include <array>
#include <complex>
#include <span>

namespace mosaic {

// A window's carrier bins by slot: index slot - 10.
using CarrierBins = std::array<std::complex<float>, kUsedSlots>;

class WindowTransforms {
 public:
  WindowTransforms();

  // Transforms the windows starting at `starts` (each window within the mixed signal's buffer)
  // into `out`, one entry per start.
  void transform(const MixedSignal& mixed, std::span<const int> starts, std::span<CarrierBins> out);

  // What white noise alone gives one bin of a window: the mean power of the empty bins 30..50
  // over the windows at `starts`. These are tapered (Hann) for this, so that the carriers'
  // sidelobes, which a plain window spreads far, do not pass for noise on a clean signal.
  double noisePower(const MixedSignal& mixed, std::span<const int> starts);

 private:
  // Transforms up to one batch of windows, each value times `taper` when given; the results
  // stay in re_ and im_.
  void transformBatch(const MixedSignal& mixed, std::span<const int> starts,
                      const float* taper = nullptr);
  std::complex<float> bin(int k, int lane) const;

  Fft256 fft_;
  std::array<float, Fft256::kSize> hann_{};
  alignas(64) std::array<float, Fft256::kSize * Fft256::kBatch> re_{};
  alignas(64) std::array<float, Fft256::kSize * Fft256::kBatch> im_{};
};

}  // namespace mosaic
