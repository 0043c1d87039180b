#include "transmitter/core/phase_chain.h"

#include "transmitter/core/phase_turns.h"

#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <fpu_control.h>
#define MOSAIC_X87_SINGLE_PRECISION 1
#endif

namespace mosaic {

float twoPiSingle() {
  static const float twoPi = static_cast<float>(8.0L * std::atan(1.0L));
  return twoPi;
}

void advancePhaseReference(float& phase, long double inc, int steps, float* out) {
  const float twoPi = twoPiSingle();
  float p = phase;
  for (int i = 0; i < steps; ++i) {
    p = static_cast<float>(static_cast<long double>(p) + inc);
    if (twoPi < p) p = static_cast<float>(static_cast<long double>(p) - twoPi);
    out[i] = p;
  }
  phase = p;
}

#ifdef MOSAIC_X87_SINGLE_PRECISION

// Every step depends on the one before, so the accumulator is a chain of a million and a half
// dependent additions per frame. With the x87 unit's precision control set to 24 bits, each
// addition of the float phase and the extended increment is rounded straight to single
// precision and the phase stays in a register, so a step costs one addition. That is one
// rounding of the exact sum where the plain code rounds twice (to extended, then to single);
// the two differ only when the extended sum falls exactly on a single-precision midpoint, which
// the tests look for over whole frames. The wrap subtracts two multiples of 2^-21, so it is
// exact either way. The loop is written out because the compiler's x87 code shuffles the
// register stack on every step and runs at half this speed. (Valgrind does not model the
// precision control: under it the steps round to double precision.)
void stepPhase(float& phase, long double inc, int steps, float* out) {
  if (steps <= 0) return;
  const float twoPi = twoPiSingle();
  fpu_control_t saved;
  _FPU_GETCW(saved);
  const fpu_control_t single = static_cast<fpu_control_t>((saved & ~_FPU_EXTENDED) | _FPU_SINGLE);
  float* const end = out + steps;
  __asm__ volatile(
      "fldcw %[single]\n\t"
      "flds %[twoPi]\n\t"    // st2 = twoPi
      "fldt %[inc]\n\t"      // st1 = inc
      "flds (%[phase])\n\t"  // st0 = phase
      "1:\n\t"
      "fadd %%st(1), %%st\n\t"
      "fcomi %%st(2), %%st\n\t"
      "jbe 2f\n\t"
      "fsub %%st(2), %%st\n\t"
      "2:\n\t"
      "fsts (%[out])\n\t"
      "add $4, %[out]\n\t"
      "cmp %[end], %[out]\n\t"
      "jne 1b\n\t"
      "fstps (%[phase])\n\t"
      "fstp %%st(0)\n\t"
      "fstp %%st(0)\n\t"
      "fldcw %[saved]\n\t"
      : [out] "+r"(out)
      : [end] "r"(end), [inc] "m"(inc), [phase] "r"(&phase), [twoPi] "m"(twoPi),
        [single] "m"(single), [saved] "m"(saved)
      : "memory", "cc", "st", "st(1)", "st(2)");
}

#else

void stepPhase(float& phase, long double inc, int steps, float* out) {
  advancePhaseReference(phase, inc, steps, out);
}

#endif

void advancePhase(float& phase, long double inc, int steps, float* out) {
  if (steps > 0 && turnsApply(phase, inc)) {
    advancePhaseInTurns(phase, inc, steps, out);
  } else {
    stepPhase(phase, inc, steps, out);
  }
}

}  // namespace mosaic
