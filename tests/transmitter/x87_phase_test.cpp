// The phase accumulator against the x87 unit, where there is one: the frames on the air were first
// made with each step an x87 addition at 24-bit precision control, and every build must step
// exactly as it did.

#include "transmitter/core/phase_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#if defined(__x86_64__)
#include <fpu_control.h>
#endif

namespace mosaic {
namespace {

#if defined(__x86_64__)
// phase = phase + inc rounded to single precision by the unit itself, then the wrap.
void x87Steps(float& phase, const Extended& inc, int steps, float* out) {
  const long double increment =
      std::ldexp(static_cast<long double>(inc.significand()), inc.exponent() - 63);
  const float twoPi = twoPiSingle();
  fpu_control_t saved;
  _FPU_GETCW(saved);
  const auto single = static_cast<fpu_control_t>((saved & ~_FPU_EXTENDED) | _FPU_SINGLE);
  _FPU_SETCW(single);
  long double p = phase;
  for (int i = 0; i < steps; ++i) {
    __asm__ volatile("fadd %2, %0" : "=t"(p) : "0"(p), "u"(increment));
    if (twoPi < p)
      __asm__ volatile("fsub %2, %0" : "=t"(p) : "0"(p), "u"(static_cast<long double>(twoPi)));
    out[i] = static_cast<float>(p);
  }
  _FPU_SETCW(saved);
  phase = out[steps - 1];
}
#endif

TEST(X87Phase, EveryStepIsTheX87UnitsSinglePrecisionAddition) {
#if !defined(__x86_64__)
  GTEST_SKIP() << "no x87 unit here; the recorded frames check the steps";
#else
  // Increments of every carrier across the picture range, plus exact multiples of 2^-22 and
  // their neighbours, whose sums fall on and beside single-precision midpoints.
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> value(-5.0f, 8.0f);
  std::vector<float> ours(640), unit(640);
  float a = 0.0f, b = 0.0f;
  long differences = 0;
  for (int symbol = 0; symbol < 6000; ++symbol) {
    Extended inc = phaseIncrement(30.0f * static_cast<float>(12 + symbol % 80) + value(rng));
    const Extended onGrid = (inc * Extended(0x1p22)).nearestInteger() * Extended(0x1p-22);
    if (symbol % 3 == 1) inc = onGrid;
    if (symbol % 9 == 2)
      inc = onGrid + Extended(std::ldexp(symbol % 2 ? 1.0 : -1.0, -60 - symbol % 7));
    advancePhase(a, inc, 640, ours.data());
    x87Steps(b, inc, 640, unit.data());
    for (int i = 0; i < 640; ++i) differences += ours[i] != unit[i];
    b = a;
  }
  EXPECT_EQ(differences, 0);
#endif
}

}  // namespace
}  // namespace mosaic
