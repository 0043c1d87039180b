#include "resampling/kernel.h"

#include <cmath>

namespace mosaic::resampling {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::int64_t kCutoffNumerator = 93, kCutoffDenominator = 100;  // of the Nyquist frequency
constexpr double kBeta = 12.265;

// sin(pi a / b) for b > 0: the angle brought into [0, pi/2] in integers, then the sine's
// power series, which has converged to the last bit after 13 terms there.
double sinPiRatio(std::int64_t a, std::int64_t b) {
  a %= 2 * b;
  if (a < 0) a += 2 * b;
  double sign = 1.0;
  if (a >= b) {
    a -= b;
    sign = -1.0;
  }
  if (2 * a > b) a = b - a;
  const double x = kPi * (static_cast<double>(a) / static_cast<double>(b));
  const double x2 = x * x;
  double term = x, sum = x;
  for (int k = 1; k <= 13; ++k) {
    term *= -x2 / static_cast<double>((2 * k) * (2 * k + 1));
    sum += term;
  }
  return sign * sum;
}

// The modified Bessel function of order 0 by its power series; for x up to beta the terms
// have fallen below the last bit long before the 60th.
double besselI0(double x) {
  const double q = x * x / 4.0;
  double term = 1.0, sum = 1.0;
  for (int k = 1; k <= 60; ++k) {
    term *= q / static_cast<double>(k * k);
    sum += term;
  }
  return sum;
}

}  // namespace

double kernelAt(std::int64_t numerator, std::int64_t denominator) {
  if (numerator < 0) numerator = -numerator;
  if (numerator >= kKernelHalfWidth * denominator) return 0.0;
  constexpr double cutoff = static_cast<double>(kCutoffNumerator) / kCutoffDenominator;
  double sinc = 1.0;
  if (numerator != 0) {
    const std::int64_t a = kCutoffNumerator * numerator, b = kCutoffDenominator * denominator;
    sinc = sinPiRatio(a, b) / (kPi * (static_cast<double>(a) / static_cast<double>(b)));
  }
  const double v =
      static_cast<double>(numerator) / (static_cast<double>(denominator) * kKernelHalfWidth);
  static const double windowScale = besselI0(kBeta);
  const double window = besselI0(kBeta * std::sqrt(1.0 - v * v)) / windowScale;
  return cutoff * sinc * window;
}

}  // namespace mosaic::resampling
