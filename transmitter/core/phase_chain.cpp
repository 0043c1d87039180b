#include "transmitter/core/phase_chain.h"

#include "transmitter/core/phase_steps.h"
#include "transmitter/core/phase_turns.h"

#include <cmath>

namespace mosaic {

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
  if (steps <= 0) return;
  if (!fixedPointApplies(phase, inc)) {
    advancePhaseReference(phase, inc, steps, out);
    return;
  }
  // The first step from whatever phase; every phase after it suits the double steps.
  stepFixedPoint(phase, inc, 1, out);
  if (incrementTraits(inc).doubleSteps) {
    stepInDouble(phase, inc.toDouble(), steps - 1, out + 1);
  } else {
    stepFixedPoint(phase, inc, steps - 1, out + 1);
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
