#include "transmitter/core/phase_steps.h"

#include "transmitter/core/phase_chain.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace mosaic {

namespace {

// The fixed-point accumulator works in whole numbers of 2^-60 rad: every phase it holds lies on
// the grid of 2^-59 (every float from 2^-36 up does), the increment is cut to that grid with
// one more bit that is set when anything was cut off, and every sum stays below 8 rad = 2^63.
constexpr float kUnitsPerRadian = 0x1p60f;
constexpr float kRadiansPerUnit = 0x1p-60f;
constexpr int kLeastPhaseExponent = -36;
constexpr int kLeastIncrementExponent = -8;  // increments from 2^-8 to 1 rad

// Exact: a power of two times a float below 8.
std::int64_t toUnits(float x) { return static_cast<std::int64_t>(x * kUnitsPerRadian); }

// The increment on the 2^-59 grid plus the bit that stands for what lies below it: rounding the
// sum with that bit gives the rounding of the exact sum (see Extended's sticky bit).
std::int64_t incrementUnits(const Extended& inc) {
  const int cut = 4 - inc.exponent();  // inc = significand * 2^(exponent - 63), grid 2^-59
  const std::uint64_t below = inc.significand() & ((std::uint64_t{1} << cut) - 1);
  return static_cast<std::int64_t>(((inc.significand() >> cut) << 1) | (below != 0));
}

// The double steps are off the exact sum by less than 2^-50 rad (2^-54 in the increment,
// 2^-51 in the sum): a sum at least 2^-48 from every point midway between two floats rounds
// alike in both.
constexpr int kClearanceExponent = -48;

bool incrementInRange(const Extended& inc) {
  const int e = inc.exponent();
  return inc.isFinite() && !inc.negative() && !inc.isZero() && e >= kLeastIncrementExponent &&
         e <= -1;
}

}  // namespace

bool fixedPointApplies(float phase, const Extended& inc) {
  if (!incrementInRange(inc)) return false;
  if (!(phase >= 0.0f && phase <= twoPiSingle())) return false;
  int phaseExponent = 0;
  std::frexp(phase, &phaseExponent);
  return phase == 0.0f || phaseExponent - 1 >= kLeastPhaseExponent;
}

// Each step rounds the sum to the 24 significant bits of a float, ties to even: its leading bit
// sets the place of the last bit kept.
void stepFixedPoint(float& phase, const Extended& inc, int steps, float* out) {
  const std::int64_t twoPi = toUnits(twoPiSingle());
  const std::int64_t increment = incrementUnits(inc);
  std::int64_t p = toUnits(phase);
  for (int i = 0; i < steps; ++i) {
    const std::int64_t sum = p + increment;
    const int last = 40 - std::countl_zero(static_cast<std::uint64_t>(sum));  // 63 - lz - 23
    const std::int64_t lastBit = std::int64_t{1} << last;
    const std::int64_t rounded = (sum + (lastBit >> 1) - 1 + ((sum >> last) & 1)) & ~(lastBit - 1);
    p = rounded > twoPi ? rounded - twoPi : rounded;
    out[i] = static_cast<float>(p) * kRadiansPerUnit;  // exact: at most 24 significant bits
  }
  if (steps > 0) phase = out[steps - 1];
}

// A sum phase + inc in the binade [2^E, 2^(E+1)) rounds to a multiple of 2^(E-23), so the points
// midway lie on the grid of h = 2^(E-24). The phases these steps start from are multiples of h
// (a phase in the binade below is a multiple of its own spacing h; one after a wrap, of 2^-21),
// so the sum lies as far from that grid as the increment does. Where that distance is at least
// 2^-48, the double sum is on the same side of every midway point as the exact sum; where it is
// 0, the increment has at most 25 significant bits and the double sum is the exact sum.
IncrementTraits incrementTraits(const Extended& inc) {
  IncrementTraits traits;
  if (!incrementInRange(inc)) return traits;
  const int e = inc.exponent();  // inc = significand * 2^(e - 63) with e from -8 to -1
  const std::uint64_t significand = inc.significand();
  const std::uint64_t clearance = std::uint64_t{1} << (kClearanceExponent - e + 63);
  traits.doubleSteps = true;
  for (int E = e; E <= 2; ++E) {  // the sums lie in [inc, twoPi + inc), below 8
    const std::uint64_t h = std::uint64_t{1} << (E - 24 - e + 63);
    const std::uint64_t rest = significand & (h - 1);
    const std::uint64_t distance = rest < h - rest ? rest : h - rest;
    if (rest != 0 && distance < clearance) traits.doubleSteps = false;
    if (E == 2) traits.midwayInTopBinade = rest == 0;
  }
  return traits;
}

void stepInDouble(float& phase, double inc, int steps, float* out) {
  const float twoPi = twoPiSingle();
  double p = phase;
  for (int i = 0; i < steps; ++i) {
    float sum = static_cast<float>(p + inc);
    sum = twoPi < sum ? sum - twoPi : sum;  // exact: both are multiples of 2^-21
    out[i] = sum;
    p = sum;
  }
  if (steps > 0) phase = out[steps - 1];
}

}  // namespace mosaic
