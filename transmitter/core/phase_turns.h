#pragma once
// The phase accumulator a whole turn at a time. Every turn starts just after a wrap, at a
// multiple of 2^-21 below 1, and within one symbol the increment is fixed, so two turns whose
// starting phases differ by a multiple of 2^-21 follow each other step for step, shifted by that
// difference, as long as every sum lands in the same binade and the wrap comes at the same step:
// each rounding then works on the same grid with the same remainder. A symbol has only a handful
// of such kinds of turn, so each is worked out once with single steps and then repeated by
// adding its start phase to the recorded offsets.

#include "signal/extended.h"

namespace mosaic {

// True when `advancePhaseInTurns` gives exactly the single steps for this start and increment:
// the phase lies in [0, twoPi], the increment is large enough for a turn to fit the record and
// no sum in [4, 8) can fall midway between two single-precision values.
bool turnsApply(float phase, const Extended& inc);

// The accumulator as `advancePhase`, for a start and increment that `turnsApply` accepts; steps
// that are not part of a known turn are taken one at a time with `stepPhase`.
void advancePhaseInTurns(float& phase, const Extended& inc, int steps, float* out);

}  // namespace mosaic
