#pragma once
// Complex products for the tuning estimator's inner loops, written out: the library's operator
// checks every product for infinities and NaNs, which costs several times the arithmetic.

#include <complex>

namespace mosaic {

inline std::complex<double> times(std::complex<double> a, std::complex<double> b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

}  // namespace mosaic
