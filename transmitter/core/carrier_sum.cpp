#include "transmitter/core/carrier_sum.h"

#include "signal/carrier_plan.h"

#include <cmath>

namespace mosaic {

namespace {

// Adding and removing 1.5 * 2^52 rounds a double below 2^51 to a whole number, to nearest with
// ties to even, with plain additions that vectorise on every target.
constexpr double kRoundMagic = 0x1.8p52;
constexpr float kRoundMagicSingle = 0x1.8p23f;  // the same for floats below 2^22

// A float below 2^22 rounded to a whole number, to nearest with ties to even: one instruction
// on arm64, the additions elsewhere (x86-64 before SSE4.1 has no such instruction). The same
// value either way.
[[gnu::always_inline]] inline float roundToWhole(float x) {
#if defined(__aarch64__)
  return __builtin_roundevenf(x);
#else
  return (x + kRoundMagicSingle) - kRoundMagicSingle;
#endif
}

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

// The same reduction in single precision, with pi in two parts: the first has 8 significant
// bits, so x - n * kPiA is exact, and the second carries pi to 32 bits.
constexpr float kInvPiSingle = 0.318309873f;
constexpr float kPiA = 3.140625f;
constexpr float kPiB = 9.67653585e-04f;

// 1200 times the Taylor coefficients of sin up to x^11: the first omitted term is below 6e-8 of
// the amplitude on [-pi/2, pi/2], about the rounding of single precision.
constexpr float kScaledSin[] = {1200.0f,       -200.0f,        10.0f,
                                -0.238095239f, 0.00330687826f, -3.00625306e-05f};

[[gnu::always_inline]] inline float estimateKernel(float x) {
  const float n = roundToWhole(x * kInvPiSingle);
  float r = (x - n * kPiA) - n * kPiB;
  r = n == 1.0f ? -r : r;
  const float z = r * r;
  float p = kScaledSin[5];
  for (int i = 4; i >= 0; --i) p = kScaledSin[i] + z * p;
  return r * p;
}

// Within a single-precision estimate's error of a half, the rounding is left to the double sum.
constexpr float kClearOfHalf = 0.5f - 2 * kCarrierEstimateError;

constexpr int kBlock = 64;  // steps estimated before the few near a half are redone

}  // namespace

double sinSmallArgument(double x) { return sinKernel(x); }

float carrierEstimate(float x) { return estimateKernel(x); }

// Not under the thread sanitizer: the loader picks a clone before the sanitizer is up.
#if defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
__attribute__((target_clones("default", "avx2", "avx512f")))
#endif
void addCarrier(const float* phase, int steps, std::int32_t* acc) {
  // The sample is a whole number, so adding the carrier and rounding is adding the rounded
  // carrier, unless the carrier is within the estimate's error of a half: those few steps are
  // redone with the double-precision sine and sum.
  for (int begin = 0; begin < steps; begin += kBlock) {
    const int end = begin + kBlock < steps ? begin + kBlock : steps;
    std::int32_t nearHalf[kBlock];
    std::int32_t anyNearHalf = 0;
    for (int j = begin; j < end; ++j) {
      const float a = estimateKernel(phase[j]);
      const float rounded = roundToWhole(a);
      // All ones where near, as the vector comparison gives it.
      const std::int32_t near = -static_cast<std::int32_t>(std::fabs(a - rounded) > kClearOfHalf);
      acc[j] += static_cast<std::int32_t>(near ? 0.0f : rounded);
      nearHalf[j - begin] = near;
      anyNearHalf |= near;
    }
    if (!anyNearHalf) continue;
    for (int j = begin; j < end; ++j) {
      if (!nearHalf[j - begin]) continue;
      const double sum = acc[j] + kCarrierAmplitude * sinKernel(phase[j]);
      acc[j] = static_cast<std::int32_t>((sum + kRoundMagic) - kRoundMagic);
    }
  }
}

}  // namespace mosaic
