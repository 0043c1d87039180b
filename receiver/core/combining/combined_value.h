#pragma once
// The differential value of a carrier from its products summed over frames, before the colour
// balance slope.
//
// The single-frame receiver's value, Im(A conj B) / |B|^2, is the sine of the phase step times
// the amplitude ratio |A| / |B|. With noise, dividing by the noisy |B|^2 costs more than the
// ratio is worth; yet on a clean signal the ratio differs from 1 (the windows straddle the
// symbols) by enough to matter. So the sine comes from the angle of the summed product, and the
// ratio from the summed powers with the noise they hold added to both: where the windows stand
// clear of the noise it is their own ratio, and where they do not it fades to 1.

#include <cmath>
#include <complex>
#include <limits>

namespace mosaic {

// How much of the noise is added to both powers before their ratio is taken: between 16 and 64
// the error stays within 0.1 step of the best at every SNR from 30 dB to 0 dB on white noise;
// at 1 the ratio's noise costs up to 1.5 steps at 3 dB.
inline constexpr double kRatioNoiseWeight = 32.0;

// `sum` the summed products (turned to the receiver's tuning), `a2`, `b2` the summed powers of
// the earlier and the later windows, `noise` the noise power that the sums hold in each window
// (frames times the noise power of one bin). Not a number when the sum is silent.
inline double combinedValue(std::complex<double> sum, double a2, double b2, double noise) {
  const double size = std::norm(sum);
  if (!(size > 0.0)) return std::numeric_limits<double>::quiet_NaN();
  const double guard = kRatioNoiseWeight * noise;
  // sin = Im / |sum|, times sqrt((a2 + guard) / (b2 + guard)), under one square root.
  if (!(b2 + guard > 0.0)) return sum.imag() / std::sqrt(size);
  return sum.imag() * std::sqrt((a2 + guard) / ((b2 + guard) * size));
}

}  // namespace mosaic
