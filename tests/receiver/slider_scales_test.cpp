#include "receiver/core/slider_scales.h"

#include <gtest/gtest.h>

namespace mosaic {
namespace {

TEST(SliderScales, EveryTuningPositionComesBackFromTheTuningItSets) {
  for (const int steps : {kCoarseStepsPerHz, kFineStepsPerHz})
    for (int p = 0; p <= kSliderMaximum; ++p) {
      ASSERT_EQ(tuningPosition(tuningAt(p, steps), steps), p) << steps << " " << p;
      // As typed: the decimal number the position stands for.
      ASSERT_EQ(tuningPositionOnGrid((p - kSliderMiddle) / double(steps), steps), p) << p;
    }
  EXPECT_EQ(tuningAt(0, kCoarseStepsPerHz), -20.0f);
  EXPECT_EQ(tuningAt(400, kFineStepsPerHz), 4.0f);
  EXPECT_EQ(tuningAt(199, kFineStepsPerHz), -0.02f);
}

TEST(SliderScales, TuningsBetweenStepsOrPastTheEndsHaveNoPosition) {
  EXPECT_EQ(tuningPositionOnGrid(0.3, kCoarseStepsPerHz), 203);
  EXPECT_FALSE(tuningPositionOnGrid(0.05, kCoarseStepsPerHz));
  EXPECT_FALSE(tuningPositionOnGrid(0.01, kFineStepsPerHz));
  EXPECT_FALSE(tuningPositionOnGrid(20.1, kCoarseStepsPerHz));
  EXPECT_FALSE(tuningPositionOnGrid(-4.02, kFineStepsPerHz));
  EXPECT_FALSE(tuningPositionOnGrid(std::nan(""), kFineStepsPerHz));
}

TEST(SliderScales, BalanceIsCentredAndLevelsAreUpsideDown) {
  EXPECT_EQ(balanceAt(267), 67);
  EXPECT_EQ(balancePosition(-200), 0);
  EXPECT_EQ(levelAt(0), 256);  // the top of a vertical slider is the highest value
  EXPECT_EQ(levelPosition(178), 78);
  for (int p = 0; p <= kLevelMaximum; ++p) ASSERT_EQ(levelPosition(levelAt(p)), p);
}

}  // namespace
}  // namespace mosaic
