#pragma once
// Complex products for the tuning estimator's inner loops, written out: the library's operator
// checks every product for infinities and NaNs, which costs several times the arithmetic.

#include <cmath>
#include <complex>

namespace mosaic {

inline constexpr double kTwoPi = 6.283185307179586476925;

// e^(j 2 pi cycles), its angle taken from the fraction of a cycle so that large counts of whole
// cycles keep their precision.
inline std::complex<double> turn(double cycles) {
  const double angle = kTwoPi * (cycles - std::floor(cycles));
  return {std::cos(angle), std::sin(angle)};
}

inline std::complex<double> times(std::complex<double> a, std::complex<double> b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

}  // namespace mosaic
