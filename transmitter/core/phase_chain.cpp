#include "transmitter/core/phase_chain.h"

#include "transmitter/core/phase_turns.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace mosaic {

namespace {

// The fixed-point accumulator works in whole numbers of 2^-60 rad: every phase it holds lies on
// the grid of 2^-59 (every float from 2^-36 up does), the increment is cut to that grid with
// one more bit that is set when anything was cut off, and every sum stays below 8 rad = 2^63.
constexpr float kRadiansPerUnit = 0x1p-60f;
constexpr int kLeastPhaseExponent = -36;
constexpr int kLeastIncrementExponent = -8;  // increments from 2^-8 to 1 rad

std::int64_t toUnits(float x) { return static_cast<std::int64_t>(std::ldexp(x, 60)); }

// The increment on the 2^-59 grid plus the bit that stands for what lies below it: rounding the
// sum with that bit gives the rounding of the exact sum (see Extended's sticky bit).
std::int64_t incrementUnits(const Extended& inc) {
  const int cut = 4 - inc.exponent();  // inc = significand * 2^(exponent - 63), grid 2^-59
  const std::uint64_t below = inc.significand() & ((std::uint64_t{1} << cut) - 1);
  return static_cast<std::int64_t>(((inc.significand() >> cut) << 1) | (below != 0));
}

bool fixedPointApplies(float phase, const Extended& inc) {
  const int e = inc.exponent();
  if (!inc.isFinite() || inc.negative() || inc.isZero() || e < kLeastIncrementExponent || e > -1)
    return false;
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

}  // namespace

float twoPiSingle() {
  static const float twoPi = static_cast<float>(8.0 * std::atan(1.0));
  return twoPi;
}

Extended phaseIncrement(float f) {
  static const Extended steps(19200);
  return Extended(f) * Extended(twoPiSingle()) / steps;
}

void advancePhaseReference(float& phase, const Extended& inc, int steps, float* out) {
  const float twoPi = twoPiSingle();
  float p = phase;
  for (int i = 0; i < steps; ++i) {
    p = Extended::sumToFloat(p, inc);
    if (twoPi < p) p = Extended::sumToFloat(p, -Extended(twoPi));
    out[i] = p;
  }
  phase = p;
}

void stepPhase(float& phase, const Extended& inc, int steps, float* out) {
  if (fixedPointApplies(phase, inc)) {
    stepFixedPoint(phase, inc, steps, out);
  } else {
    advancePhaseReference(phase, inc, steps, out);
  }
}

void advancePhase(float& phase, const Extended& inc, int steps, float* out) {
  if (steps > 0 && turnsApply(phase, inc)) {
    advancePhaseInTurns(phase, inc, steps, out);
  } else {
    stepPhase(phase, inc, steps, out);
  }
}

}  // namespace mosaic
