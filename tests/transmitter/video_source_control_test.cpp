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
  c.stepBy(1);
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
  c.stepBy(1);
  EXPECT_EQ(c.state().position, 0);
}

TEST(VideoSourceControl, StepsRunThroughTheLengthItselfBeforeStartingOver) {
  VideoSourceControl c;
  c.fileOpened("clip.avi", 3);
  std::vector<int> positions;
  for (int i = 0; i < 8; ++i) {
    c.stepBy(1);
    positions.push_back(c.state().position);
  }
  EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 0, 1, 2, 3, 0}));
}

TEST(VideoSourceControl, SeeksKeepTheLow16BitsAndStepsGoOnFromThere) {
  VideoSourceControl c;
  c.fileOpened("long.avi", 70000);
  c.seekTo(0x10000 + 12);
  EXPECT_EQ(c.state().position, 12);
  c.stepBy(1);
  EXPECT_EQ(c.state().position, 13);
  c.seekTo(65535);
  c.stepBy(3);  // the timer still steps through the whole length
  EXPECT_EQ(c.state().position, 65538);
  c.fileOpened("short.avi", 10);
  c.seekTo(9);
  c.stepBy(2);  // past the length: over to the start
  EXPECT_EQ(c.state().position, 0);
}

TEST(VideoSourceControl, TheCameraPausesTheStepsAndTheFileIsFoundAsItWasLeft) {
  VideoSourceControl c;
  c.fileOpened("/v/clip.avi", 20);
  c.togglePlayPause();
  c.seekTo(6);
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

// "&Camera" with no camera: the file stays the source, stepping as it was, and the window has
// something to say; the wish for the camera outlives the run unless the operator goes back to
// a file.
TEST(VideoSourceControl, WithNoCameraTheFileStaysTheSourceAndTheWindowSaysSo) {
  VideoSourceControl c;
  c.fileOpened("/v/clip.avi", 20);
  c.togglePlayPause();
  const CameraChoice none = c.chooseCamera({}, "");
  EXPECT_FALSE(none.available);
  EXPECT_FALSE(c.state().cameraMode);
  EXPECT_TRUE(c.stepTimerRuns());
  EXPECT_TRUE(c.state().cameraWanted);
  EXPECT_EQ(c.state().cameraNote, "No camera found");
  EXPECT_EQ(c.fileCaption(), "clip.avi");
  // The camera the operator chose is named.
  c.chooseCamera({}, "/dev/video2");
  EXPECT_EQ(c.state().cameraNote, "No camera found (/dev/video2 is not connected)");
  c.selectFile();
  EXPECT_FALSE(c.state().cameraWanted);
  EXPECT_TRUE(c.state().cameraNote.empty());
  c.chooseCamera({}, "");
  c.fileOpened("/v/other.avi", 5);
  EXPECT_FALSE(c.state().cameraWanted);
  EXPECT_TRUE(c.state().cameraNote.empty());

  // In camera mode when the camera goes: "&Camera" again returns to the file.
  EXPECT_TRUE(c.chooseCamera({"/dev/video0"}, "").entering);
  EXPECT_TRUE(c.state().cameraMode);
  c.chooseCamera({}, "");
  EXPECT_FALSE(c.state().cameraMode);
  EXPECT_EQ(c.state().cameraNote, "No camera found");
}

TEST(VideoSourceControl, AChosenCameraThatIsMissingIsNamedAndAnotherStandsIn) {
  VideoSourceControl c;
  const std::vector<std::string> found{"/dev/video0", "/dev/video1"};
  CameraChoice choice = c.chooseCamera(found, "/dev/video1");
  EXPECT_TRUE(choice.available && choice.entering);
  EXPECT_EQ(c.state().cameraDevice, "/dev/video1");
  EXPECT_TRUE(c.state().cameraNote.empty());
  // The chosen one is gone: the first that opens, and the window names the missing one.
  choice = c.chooseCamera({"/dev/video0"}, "/dev/video1");
  EXPECT_TRUE(choice.available);
  EXPECT_FALSE(choice.entering);  // camera mode already
  EXPECT_EQ(c.state().cameraDevice, "");
  EXPECT_EQ(c.state().cameraNote,
            "Camera /dev/video1 not found: showing the first camera that opens");
  // "Video &source" picks one: nothing more to say.
  c.cameraDeviceChosen("/dev/video0");
  EXPECT_EQ(c.state().cameraDevice, "/dev/video0");
  EXPECT_TRUE(c.state().cameraNote.empty());
  // Nothing chosen: the first that opens, without a word.
  VideoSourceControl fresh;
  fresh.chooseCamera(found, "");
  EXPECT_EQ(fresh.state().cameraDevice, "");
  EXPECT_TRUE(fresh.state().cameraNote.empty());
}

// A camera that lists but sends nothing (it does not open, another program holds it, it was
// unplugged) is not called live video; its pictures coming back end the silence.
TEST(VideoSourceControl, ACameraWithoutPicturesIsNotCalledLive) {
  VideoSourceControl c;
  EXPECT_FALSE(c.cameraWatch());  // file mode: nothing to watch
  c.chooseCamera({"/dev/video0"}, "/dev/video0");
  c.cameraConnecting();
  EXPECT_EQ(c.cameraCaption(), "Live video");
  EXPECT_FALSE(c.cameraPicture());
  EXPECT_FALSE(c.cameraWatch());  // a picture came since the start
  EXPECT_TRUE(c.cameraWatch());   // none since the last look
  EXPECT_EQ(c.cameraCaption(), "No camera picture");
  EXPECT_EQ(c.state().cameraNote,
            "No picture from camera /dev/video0: is another program using it?");
  EXPECT_FALSE(c.cameraWatch());  // said once
  EXPECT_TRUE(c.cameraPicture());
  EXPECT_EQ(c.cameraCaption(), "Live video");
  EXPECT_TRUE(c.state().cameraNote.empty());
  // Reconnecting starts the watch afresh; leaving camera mode ends it.
  EXPECT_FALSE(c.cameraWatch());
  EXPECT_TRUE(c.cameraWatch());
  c.cameraConnecting();
  EXPECT_EQ(c.cameraCaption(), "Live video");
  EXPECT_TRUE(c.state().cameraNote.empty());
  c.selectFile();
  EXPECT_FALSE(c.cameraWatch());
  EXPECT_FALSE(c.cameraWatch());
}

}  // namespace
}  // namespace mosaic
