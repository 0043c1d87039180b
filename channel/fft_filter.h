#pragma once
// Long FIR filters applied by fast convolution, for the channel simulator.

#include <complex>
#include <vector>

namespace mosaic {

// In-place radix-2 FFT of a power-of-two length; `inverse` uses the opposite sign and divides by
// the length.
void fftInPlace(std::vector<std::complex<double>>& a, bool inverse);

// The convolution of x with h, advanced by the filter's centre d = (len(h) - 1) / 2:
// y[n] = sum_k h[k] x[n + d - k], the same length as x (x counts as 0 outside its ends).
std::vector<float> filterCentred(const std::vector<float>& x, const std::vector<double>& h);

}  // namespace mosaic
