#include "transmitter/core/phase_steps.h"
#include "transmitter/core/phase_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace mosaic {
namespace {

// Sums in the binade [2^E, 2^(E+1)) round at the points midway between floats, which lie on the
// grid of 2^(E-24). Increments on such a grid, plus a small offset, put the sums that close to
// those points.
Extended besideGrid(double x, int E, double offset) {
  const Extended grid(std::ldexp(1.0, E - 24));
  return (Extended(x) / grid).nearestInteger() * grid + Extended(offset);
}

// The number of steps where `steps` differs from the plain extended-precision steps.
template <typename Steps>
int differences(float start, const Extended& inc, Steps steps) {
  std::vector<float> fast(640), plain(640);
  float a = start, b = start;
  steps(a, fast.data());
  advancePhaseReference(b, inc, 640, plain.data());
  int n = 0;
  for (int i = 0; i < 640; ++i) n += fast[i] != plain[i];
  return n + (a != b);
}

TEST(PhaseSteps, DoubleStepsOnlyWhereNoSumCanComeCloseToAMidwayPoint) {
  for (double x : {0.0045, 0.11, 0.3, 0.7}) {
    for (int E = std::ilogb(x); E <= 2; ++E) {  // the binades the sums can reach
      // Far enough from every midway point, or exactly on the grid: the double sum rounds alike.
      EXPECT_TRUE(incrementTraits(besideGrid(x, E, 0x1p-47)).doubleSteps) << x << " " << E;
      EXPECT_TRUE(incrementTraits(besideGrid(x, E, 0.0)).doubleSteps) << x << " " << E;
      // Nearer than the double sum's error may be.
      EXPECT_FALSE(incrementTraits(besideGrid(x, E, -0x1p-49)).doubleSteps) << x << " " << E;
      EXPECT_FALSE(incrementTraits(besideGrid(x, E, 0x1p-60)).doubleSteps) << x << " " << E;
    }
    // Only multiples of 2^-22 can put a sum in [4, 8) exactly midway.
    EXPECT_TRUE(incrementTraits(besideGrid(x, 2, 0.0)).midwayInTopBinade) << x;
    EXPECT_FALSE(incrementTraits(besideGrid(x, 2, 0x1p-62)).midwayInTopBinade) << x;
  }
  // Outside the fixed-point range nothing is promised.
  EXPECT_FALSE(incrementTraits(Extended(1.0)).doubleSteps);
  EXPECT_FALSE(incrementTraits(Extended(0x1p-9)).doubleSteps);
}

TEST(PhaseSteps, DoubleStepsPartFromExactStepsBesideAMidwayPoint) {
  // The hazard the traits guard against: the offset is lost when the increment is rounded to
  // double, so sums that lie just above a midway point tie and round to even instead.
  const Extended inc = besideGrid(0.3, 2, 0x1p-60);
  ASSERT_FALSE(incrementTraits(inc).doubleSteps);
  EXPECT_GT(differences(0.0f, inc,
                        [&](float& p, float* out) { stepInDouble(p, inc.toDouble(), 640, out); }),
            0);
}

TEST(PhaseSteps, StepPhaseMatchesExactStepsOnAndBesideEveryGrid) {
  const float twoPi = twoPiSingle();
  for (float start : {0.0f, 0x1p-30f, 0.5f, std::nextafter(4.0f, 0.0f), twoPi}) {
    for (double x : {0.0045, 0.11, 0.3, 0.7}) {
      for (int E = -2; E <= 2; ++E) {
        for (double offset : {0.0, 0x1p-47, -0x1p-49, 0x1p-60, -0x1p-64}) {
          const Extended inc = besideGrid(x, E, offset);
          EXPECT_EQ(
              differences(start, inc, [&](float& p, float* out) { stepPhase(p, inc, 640, out); }),
              0)
              << start << " " << x << " " << E << " " << offset;
        }
      }
    }
  }
}

TEST(PhaseSteps, StopAtTheFirstWrap) {
  const Extended inc = phaseIncrement(2500.0f);
  std::vector<float> out(640);
  float phase = 6.0f;
  bool wrapped = false;
  // Each step's sum is shown once, before its rounding.
  std::vector<double> sums;
  const auto see = [&sums](double sum) { sums.push_back(sum); };
  const int taken = stepInDoubleToWrap(phase, inc.toDouble(), 640, out.data(), wrapped, see);
  ASSERT_TRUE(wrapped);
  EXPECT_LT(phase, 6.0f);
  EXPECT_EQ(phase, out[taken - 1]);
  for (int i = 1; i < taken - 1; ++i) EXPECT_GT(out[i], out[i - 1]);
  ASSERT_EQ(sums.size(), std::size_t(taken));
  EXPECT_EQ(sums[0], 6.0 + inc.toDouble());
  // Without room for the wrap it keeps climbing.
  phase = 0.0f;
  sums.clear();
  EXPECT_EQ(stepInDoubleToWrap(phase, inc.toDouble(), 3, out.data(), wrapped, see), 3);
  ASSERT_EQ(sums.size(), 3u);
  for (int i = 1; i < 3; ++i) EXPECT_EQ(sums[i], out[i - 1] + inc.toDouble());
  EXPECT_FALSE(wrapped);
  EXPECT_EQ(phase, out[2]);
}

}  // namespace
}  // namespace mosaic
