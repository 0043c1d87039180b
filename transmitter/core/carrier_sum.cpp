#include "transmitter/core/carrier_sum.h"

#include "signal/carrier_plan.h"

namespace mosaic {

namespace {

// Adding and removing 1.5 * 2^52 rounds a double below 2^51 to a whole number, to nearest with
// ties to even, with plain additions that vectorise on every target.
constexpr double kRoundMagic = 0x1.8p52;

// pi in two parts: the first has 33 significant bits, so n * kPiHi is exact for small n and
// x - n * kPiHi loses nothing.
constexpr double kInvPi = 3.18309886183790671538e-01;
constexpr double kPiHi = 3.14159265346825122833e+00;
constexpr double kPiLo = 1.21542010130123844986e-10;

// Taylor coefficients of sin up to x^19: on [-pi/2, pi/2] the first omitted term is below 3e-16,
// far below what could move 1200 sin(x) across a rounding boundary.
constexpr double kSin[] = {
    -1.0 / 6,
    1.0 / 120,
    -1.0 / 5040,
    1.0 / 362880,
    -1.0 / 39916800,
    1.0 / 6227020800.0,
    -1.0 / 1307674368000.0,
    1.0 / 355687428096000.0,
    -1.0 / 121645100408832000.0,
};

// sin(x) for 0 <= x < 8: x = n pi + r with |r| <= pi/2 and n = 0, 1 or 2, so
// sin(x) = sin(r) with r negated for odd n.
[[gnu::always_inline]] inline double sinKernel(double x) {
  const double n = (x * kInvPi + kRoundMagic) - kRoundMagic;
  double r = (x - n * kPiHi) - n * kPiLo;
  r = n == 1.0 ? -r : r;
  const double z = r * r;
  double p = kSin[8];
  for (int i = 7; i >= 0; --i) p = kSin[i] + z * p;
  return r + r * (z * p);
}

}  // namespace

double sinSmallArgument(double x) { return sinKernel(x); }

// Not under the thread sanitizer: the loader picks a clone before the sanitizer is up.
#if defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
__attribute__((target_clones("default", "avx2", "avx512f")))
#endif
void addCarrier(const float* phase, int steps, double* acc) {
  const double amplitude = kCarrierAmplitude;
  for (int j = 0; j < steps; ++j) {
    acc[j] = ((acc[j] + amplitude * sinKernel(phase[j])) + kRoundMagic) - kRoundMagic;
  }
}

}  // namespace mosaic
