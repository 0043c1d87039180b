#pragma once
// The synthesis phase accumulator: a single-precision phase that every step advances by an
// increment held in extended precision, wrapped once past 2 pi.

#include "signal/extended.h"

namespace mosaic {

// 2 pi as the single-precision value 8 atan(1) = 6.2831855 used for the increment and the wrap.
float twoPiSingle();

// The increment [rad/step] of one step at frequency value f: f * twoPi / 19200, in extended
// precision (the product is exact, the quotient rounded once).
Extended phaseIncrement(float f);

// Runs the phase accumulator over `steps` steps with the extended-precision increment `inc`
// [rad/step]: phase = single(phase + inc), the exact sum rounded once to single precision, then
// phase -= twoPi if twoPi < phase. Writes the phase after each step to `out` and leaves the last
// one in `phase`. Turns that repeat an earlier turn of the same run are written from its record
// (phase_turns.h), the rest step by step.
void advancePhase(float& phase, const Extended& inc, int steps, float* out);

// The same, one step after the other, in whole numbers of 2^-60 rad.
void stepPhase(float& phase, const Extended& inc, int steps, float* out);

// The same, one plainly written step at a time; the reference for the fast versions above.
void advancePhaseReference(float& phase, const Extended& inc, int steps, float* out);

}  // namespace mosaic
