// Which pictures the station keeps: each still picture once, in its best state, when it changes,
// when the signal goes, or by its 16th frame; a moving picture now and then; never one below the
// threshold.

#include "station/picture_keeper.h"

#include <gtest/gtest.h>

#include <vector>

namespace mosaic::station {
namespace {

constexpr double kFrame = 1.28;

// Feeds the keeper buffer by buffer and notes the pictures saved, by the time of their frame.
struct KeeperRun {
  explicit KeeperRun(double every = kDefaultEverySeconds) : keeper(every) {}

  // A whole frame, kept at 15 dB and over.
  KeeperDecision frame(bool changed, double snrDb = 20.0, int combined = 1) {
    return take({time += kFrame, true, true, changed, snrDb >= 15.0, combined, snrDb});
  }
  // A buffer without a whole frame.
  KeeperDecision quiet(bool locked = false) {
    return take({time += kFrame, locked, false, false, false, 1, 5.0});
  }
  KeeperDecision take(const KeeperFrame& f) { return note(keeper.frame(f)); }
  KeeperDecision note(const KeeperDecision& d) {
    if (d.saveHeldFirst) saves.push_back(heldAt);
    if (d.holdFrame) heldAt = time;
    if (d.saveHeld) saves.push_back(heldAt);
    return d;
  }

  PictureKeeper keeper;
  double time = 0.0;
  double heldAt = -1.0;
  std::vector<double> saves;
};

TEST(PictureKeeper, AStillPictureIsSavedOnceByItsSixteenthFrameAndNothingWithoutOne) {
  KeeperRun run;
  for (int f = 0; f < 20; ++f) run.quiet(f % 2 == 0);
  EXPECT_FALSE(run.keeper.holding());
  run.frame(true);
  for (int f = 2; f <= 15; ++f) EXPECT_FALSE(run.frame(false).saveHeld) << f;
  EXPECT_TRUE(run.frame(false).saveHeld);
  for (int f = 17; f <= 200; ++f) run.frame(false);
  EXPECT_EQ(run.saves.size(), 1u);
  EXPECT_FALSE(run.keeper.finish().saveHeld);
}

TEST(PictureKeeper, ItIsSavedWhenItChangesWhenTheLockIsLostWhenTheStreamStopsAndAtTheEnd) {
  KeeperRun run;
  for (int f = 0; f < 5; ++f) run.frame(f == 0);
  EXPECT_EQ(run.frame(true), (KeeperDecision{true, true, false}));
  // Two buffers without lock are 2.56 s, the third makes 3.84 s.
  run.frame(false);
  run.quiet();
  run.quiet();
  EXPECT_EQ(run.saves.size(), 1u);
  EXPECT_TRUE(run.quiet().saveHeld);
  // It comes back unchanged: it is not saved again.
  for (int f = 0; f < 30; ++f) run.frame(false);
  EXPECT_EQ(run.saves.size(), 2u);

  run.frame(true);
  run.frame(false);
  EXPECT_TRUE(run.keeper.streamStopped().saveHeld);
  EXPECT_FALSE(run.keeper.streamStopped().saveHeld) << "once";
  run.frame(true);
  EXPECT_TRUE(run.keeper.finish().saveHeld) << "a single frame at the end too";

  // Locked without a whole frame is not lost: the picture is kept by its 16th frame instead.
  KeeperRun held;
  held.frame(true);
  held.frame(false);
  for (int f = 3; f < 16; ++f) EXPECT_FALSE(held.quiet(true).saveHeld) << f;
  EXPECT_TRUE(held.quiet(true).saveHeld);
}

TEST(PictureKeeper, TheBestStateIsSavedAndOnlyOneThatReachesTheThreshold) {
  KeeperRun run;
  EXPECT_TRUE(run.frame(true, 16.0).holdFrame);
  EXPECT_TRUE(run.frame(false, 25.0).holdFrame);
  EXPECT_FALSE(run.frame(false, 18.0).holdFrame);
  // More frames combined beat a higher ratio of fewer.
  EXPECT_TRUE(run.frame(false, 17.0, 4).holdFrame);
  EXPECT_FALSE(run.frame(false, 30.0, 3).holdFrame);
  const double best = run.heldAt;
  run.frame(true);
  EXPECT_EQ(run.saves, std::vector<double>{best});

  KeeperRun faint;  // never good enough
  for (int f = 1; f <= 30; ++f) faint.frame(f == 1, 14.0);
  EXPECT_FALSE(faint.keeper.streamStopped().saveHeld || faint.keeper.finish().saveHeld);
  EXPECT_TRUE(faint.saves.empty());
  // Below the threshold at first: the picture began then all the same, and its one frame that
  // reached it is saved by the 16th; with none by then, the first that does is saved at once.
  KeeperRun once;
  for (int f = 1; f <= 16; ++f) once.frame(f == 1, f == 9 ? 15.5 : 14.5);
  EXPECT_EQ(once.saves, std::vector<double>{9 * kFrame});
  KeeperRun late;
  for (int f = 1; f <= 20; ++f) late.frame(f == 1, 14.0);
  EXPECT_TRUE(late.frame(false, 16.0).saveHeld);
}

TEST(PictureKeeper, AMovingPictureIsSavedAtMostEverySoManySeconds) {
  for (const double every : {3.0, 10.0}) {
    KeeperRun run(every);
    for (int f = 0; f < 100; ++f) run.frame(true);
    ASSERT_GE(run.saves.size(), 2u);
    for (std::size_t i = 1; i < run.saves.size(); ++i)
      EXPECT_GE(run.saves[i] - run.saves[i - 1], every - 1e-9) << every;
    EXPECT_GE(run.saves.size(), static_cast<std::size_t>(99 * kFrame / (every + kFrame)))
        << "nor much less often";
    // It stops on a still picture: that one is saved once, as any still picture.
    const std::size_t moving = run.saves.size();
    for (int f = 0; f < 40; ++f) run.frame(false);
    EXPECT_EQ(run.saves.size(), moving + 1) << every;
  }
}

}  // namespace
}  // namespace mosaic::station
