#include "transmitter/core/video_source_control.h"

#include <gtest/gtest.h>

#include <vector>

namespace mosaic {
namespace {

TEST(VideoSourceControl, OpeningAFileStartsStoppedAtItsFirstFrameWhateverCameBefore) {
  VideoSourceControl c;
  EXPECT_EQ(c.fileCaption(), "AVI-to-NBTV");
  c.fileOpened("/videos/first.avi", 12);
  c.togglePlayPause();
  c.step();
  c.selectCamera();
  c.fileOpened("C:\\clips\\second.avi", 7);
  const VideoSourceState& s = c.state();
  EXPECT_EQ(s.fileName, "C:\\clips\\second.avi");
  EXPECT_EQ(s.length, 7);
  EXPECT_EQ(s.position, 0);
  EXPECT_FALSE(s.stepping);
  EXPECT_FALSE(s.cameraMode);
  EXPECT_EQ(c.fileCaption(), "second.avi");
  // A file that cannot be shown has no frames: every tick passes its end and stays at 0.
  c.fileOpened("notes.avi", 0);
  EXPECT_EQ(c.fileCaption(), "notes.avi");
  c.step();
  EXPECT_EQ(c.state().position, 0);
}

TEST(VideoSourceControl, StepsRunThroughTheLengthItselfBeforeStartingOver) {
  VideoSourceControl c;
  c.fileOpened("clip.avi", 3);
  std::vector<int> positions;
  for (int i = 0; i < 8; ++i) {
    c.step();
    positions.push_back(c.state().position);
  }
  EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 0, 1, 2, 3, 0}));
}

TEST(VideoSourceControl, ScrollCodesSetTheLow16BitsOfTheRightPosition) {
  VideoSourceControl c;
  c.fileOpened("long.avi", 70000);
  EXPECT_TRUE(c.scroll(ScrollCode::ThumbTrack, 0x10000 + 12, 99));
  EXPECT_EQ(c.state().position, 12);
  for (ScrollCode code : {ScrollCode::LineUp, ScrollCode::LineDown, ScrollCode::PageUp,
                          ScrollCode::PageDown, ScrollCode::Top, ScrollCode::Bottom}) {
    EXPECT_TRUE(c.scroll(code, 5, 0x20000 + 40));
    EXPECT_EQ(c.state().position, 40);
  }
  // Releasing the thumb only confirms the move.
  EXPECT_FALSE(c.scroll(ScrollCode::ThumbPosition, 3, 4));
  EXPECT_FALSE(c.scroll(ScrollCode::EndTrack, 3, 4));
  EXPECT_EQ(c.state().position, 40);
  // Steps go on from a position set by hand.
  c.step();
  EXPECT_EQ(c.state().position, 41);
}

TEST(VideoSourceControl, TheCameraPausesTheStepsAndTheFileIsFoundAsItWasLeft) {
  VideoSourceControl c;
  c.fileOpened("/v/clip.avi", 20);
  c.togglePlayPause();
  c.scroll(ScrollCode::ThumbTrack, 6, 0);
  EXPECT_TRUE(c.stepTimerRuns());
  EXPECT_TRUE(c.selectCamera());
  EXPECT_FALSE(c.selectCamera());  // a second "&Camera" only reconnects
  EXPECT_TRUE(c.state().cameraMode);
  EXPECT_FALSE(c.stepTimerRuns());
  EXPECT_TRUE(c.state().stepping);
  c.selectFile();
  EXPECT_FALSE(c.state().cameraMode);
  EXPECT_TRUE(c.stepTimerRuns());
  EXPECT_EQ(c.state().position, 6);
  EXPECT_EQ(c.fileCaption(), "clip.avi");
  c.togglePlayPause();
  EXPECT_FALSE(c.stepTimerRuns());
}

}  // namespace
}  // namespace mosaic
