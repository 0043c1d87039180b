#include "transmitter/core/phase_turns.h"
#include "transmitter/core/phase_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace mosaic {
namespace {

// Runs the accumulator in whole turns and in single steps from the same phase and reports the
// first step where they part, or -1.
int firstDifference(float phase, const Extended& inc, int steps) {
  std::vector<float> turns(steps), single(steps);
  float a = phase, b = phase;
  advancePhase(a, inc, steps, turns.data());
  stepPhase(b, inc, steps, single.data());
  for (int i = 0; i < steps; ++i) {
    if (turns[i] != single[i]) return i;
  }
  return a == b ? -1 : steps;
}

TEST(PhaseTurns, ApplyToEveryCarrierAndPictureValue) {
  for (int k = 12; k <= 91; ++k) {
    for (float v : {-4.9f, 0.0f, 3.3f, 7.96875f}) {
      // Unmodulated, carrier 64 advances by exactly 2635359 * 2^-22 a step.
      const bool exactMultiple = k == 64 && v == 0.0f;
      EXPECT_EQ(turnsApply(0.0f, phaseIncrement(30.0f * k + v)), !exactMultiple) << k << " " << v;
    }
  }
}

TEST(PhaseTurns, LeaveOddStartsAndIncrementsToSingleSteps) {
  const Extended inc = phaseIncrement(1700);
  EXPECT_FALSE(turnsApply(-0.1f, inc));
  EXPECT_FALSE(turnsApply(std::nextafter(twoPiSingle(), 8.0f), inc));
  EXPECT_FALSE(turnsApply(0.0f, Extended(1.0)));
  EXPECT_FALSE(turnsApply(0.0f, Extended(0.05)));
  // A multiple of 2^-22 can put a sum in [4, 8) midway between two floats.
  const Extended multiple(0x1p-22 * 2900000);
  EXPECT_FALSE(turnsApply(0.0f, multiple));
  EXPECT_FALSE(turnsApply(0.0f, multiple + Extended(0x1p-62)));
  EXPECT_TRUE(turnsApply(0.0f, multiple + Extended(0x1p-56)));
}

TEST(PhaseTurns, MatchSingleStepsFromEveryKindOfStart) {
  // Starts on and beside the binade boundaries and the wrap, with increments of every carrier.
  const float twoPi = twoPiSingle();
  std::vector<float> starts = {0.0f, twoPi, std::nextafter(twoPi, 0.0f)};
  for (float b : {0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 4.0f}) {
    starts.insert(starts.end(), {b, std::nextafter(b, 0.0f), std::nextafter(b, 8.0f)});
  }
  for (float start : starts) {
    for (int k : {12, 16, 21, 24, 56, 70, 91}) {
      for (float f : {30.0f * k, 30.0f * k - 4.9f, 30.0f * k + 7.96875f}) {
        EXPECT_EQ(firstDifference(start, phaseIncrement(f), 640), -1) << start << " " << f;
      }
    }
  }
}

TEST(PhaseTurns, MatchSingleStepsOverManyRandomSymbols) {
  // A chain of symbols as the synthesiser runs them, each from where the last one ended, and
  // increments just beside the multiples of 2^-22 that are left to single steps.
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> value(-5.0f, 8.0f);
  std::uniform_int_distribution<int> carrier(12, 91);
  std::vector<float> turns(640), single(640);
  float a = 0.0f, b = 0.0f;
  long mismatches = 0;
  for (int s = 0; s < 3000; ++s) {
    Extended inc = phaseIncrement(30.0f * static_cast<float>(carrier(rng)) + value(rng));
    const Extended onGrid = (inc * Extended(0x1p22)).nearestInteger() * Extended(0x1p-22);
    if (s % 10 == 0) inc = onGrid + Extended(s % 20 ? 0x1p-56 : -0x1p-56);
    if (s % 30 == 0) inc = onGrid;
    advancePhase(a, inc, 640, turns.data());
    stepPhase(b, inc, 640, single.data());
    for (int i = 0; i < 640; ++i) mismatches += turns[i] != single[i];
    b = a;  // compare each symbol, not an error carried on
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(PhaseTurns, HandleShortAndCutRuns) {
  // Fewer steps than a turn, a run ending mid-turn, and no steps at all.
  for (int steps : {0, 1, 5, 13, 27, 320, 639}) {
    EXPECT_EQ(firstDifference(1.3f, phaseIncrement(1683.5f), steps), -1) << steps;
    EXPECT_EQ(firstDifference(6.0f, phaseIncrement(361.25f), steps), -1) << steps;
  }
}

}  // namespace
}  // namespace mosaic
