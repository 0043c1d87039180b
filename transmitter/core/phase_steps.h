#pragma once
// Single steps of the phase accumulator (phase = single(phase + inc), then the wrap) by two
// faster means than Extended arithmetic, each exact where it is used:
// - in whole numbers of 2^-60 rad, for any phase and increment in the synthesiser's range;
// - in double precision, single(double(phase) + double(inc)), for the increments whose
//   analysis shows that this rounding twice always ends where the exact sum rounds once.

#include "signal/extended.h"
#include "transmitter/core/phase_chain.h"

#include <cfloat>

// The double-precision steps need double arithmetic rounded to double, not to a wider format.
static_assert(FLT_EVAL_METHOD == 0, "double expressions must be evaluated in double precision");

namespace mosaic {

// Whole numbers of 2^-60 rad serve for phases in [0, twoPi] that are 0 or at least 2^-36 and
// increments from 2^-8 up to 1 rad.
bool fixedPointApplies(float phase, const Extended& inc);
void stepFixedPoint(float& phase, const Extended& inc, int steps, float* out);

// What an increment in the fixed-point range allows.
struct IncrementTraits {
  // Steps in double precision are exact from a phase that is a multiple of 2^-21 (every phase
  // after a wrap is) or whose binade [2^b, 2^(b+1)) has 2^(b+1) > inc (every phase after a step
  // that did not wrap has).
  bool doubleSteps = false;
  // A sum in [4, 8), where floats lie 2^-21 apart, can fall exactly midway between two of them,
  // so that its rounding depends on the phase's last bit.
  bool midwayInTopBinade = false;
};
IncrementTraits incrementTraits(const Extended& inc);

// Double-precision steps from `phase` (see IncrementTraits::doubleSteps) with `inc` rounded to
// double. The first takes `steps` steps; the second stops after the first wrap, taking at most
// `room`, and returns how many it took, showing `seeSum` each step's sum phase + inc before it
// is rounded to single precision.
void stepInDouble(float& phase, double inc, int steps, float* out);
template <typename SeeSum>
int stepInDoubleToWrap(float& phase, double inc, int room, float* out, bool& wrapped,
                       SeeSum seeSum) {
  const float twoPi = twoPiSingle();
  double p = phase;
  for (int i = 0; i < room; ++i) {
    const double exact = p + inc;
    seeSum(exact);
    const float sum = static_cast<float>(exact);
    if (twoPi < sum) {
      out[i] = phase = sum - twoPi;
      wrapped = true;
      return i + 1;
    }
    out[i] = sum;
    p = sum;
  }
  wrapped = false;
  if (room > 0) phase = out[room - 1];
  return room < 0 ? 0 : room;
}

}  // namespace mosaic
