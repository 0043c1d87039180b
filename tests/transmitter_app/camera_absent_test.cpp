// "&Camera" when there is no camera, not the chosen one, or one that sends nothing: the window
// says so, and the file's picture is never passed off as live video.

#include "media/capture_devices.h"
#include "platform/level_display.h"
#include "tests/support/private_settings.h"
#include "transmitter/app/command_ids.h"
#include "transmitter/app/position_bar.h"
#include "window_fixture.h"

#include <QLabel>

namespace mosaic::test {
namespace {

class CameraAbsentTest : public WindowTest {
 protected:
  bool noteShown() const { return !window->cameraNote()->isHidden(); }
  QString note() const { return window->cameraNote()->text(); }
};

TEST_F(CameraAbsentTest, WithNoCameraTheFileGoesOnUnderItsOwnNameAndTheWindowSaysSo) {
  cameraLog.devices.clear();
  window->initialiseWindow();
  open(makeVideo("clip.avi", 20));
  command(*window, kPlayPauseId);
  const int height = window->height();
  const QImage filePicture = window->videoArea();
  command(*window, kCameraId);
  EXPECT_EQ(window->windowTitle(), "clip.avi");
  EXPECT_FALSE(window->videoState().cameraMode);
  EXPECT_TRUE(window->stepTimerRunning());
  EXPECT_NE(window->control(kPlayPauseId), nullptr);
  EXPECT_NE(window->control(kPositionBarId), nullptr);
  EXPECT_EQ(window->control(kVideoSourceId), nullptr);
  EXPECT_EQ(window->videoArea(), filePicture);
  EXPECT_EQ(cameraLog.connects, 0);
  EXPECT_EQ(cameraLog.destroyed, cameraLog.made);  // made to look for devices, then dropped
  // The note is a line of its own below the controls: the window grows by it and nothing moves.
  ASSERT_TRUE(noteShown());
  EXPECT_EQ(note(), "No camera found");
  EXPECT_EQ(window->height(), height + window->cameraNote()->height());
  EXPECT_GE(window->cameraNote()->geometry().top(), window->outputLevel()->geometry().bottom());
  EXPECT_EQ(window->control(kPositionBarId)->geometry(), QRect(31, 130, 129, 24));
  // Asking again says the same, once; choosing the file again ends the note.
  command(*window, kCameraId);
  EXPECT_EQ(window->height(), height + window->cameraNote()->height());
  command(*window, kAviId);
  EXPECT_FALSE(noteShown());
  EXPECT_EQ(window->height(), height);
  EXPECT_TRUE(window->stepTimerRunning());
}

TEST_F(CameraAbsentTest, ACameraThatGoesAwayHandsTheAreaBackToTheFile) {
  window->initialiseWindow();
  open(makeVideo("clip.avi", 20));
  window->onPositionScroll(ScrollCode::ThumbTrack, 5);
  command(*window, kCameraId);
  EXPECT_EQ(window->windowTitle(), "Live video");
  cameraLog.devices.clear();  // unplugged
  command(*window, kCameraId);
  EXPECT_FALSE(window->videoState().cameraMode);
  EXPECT_EQ(window->windowTitle(), "clip.avi");
  EXPECT_EQ(window->control(kVideoSourceId), nullptr);
  ASSERT_NE(window->control(kPositionBarId), nullptr);
  EXPECT_EQ(frameOfPicture(window->videoArea().copy(0, 0, 160, 128)), 5);
  EXPECT_EQ(note(), "No camera found");
}

TEST_F(CameraAbsentTest, AChosenCameraThatIsMissingIsNamedAndTheFirstThatOpensStandsIn) {
  window->initialiseWindow();
  command(*window, kCameraId);
  nextDevice = "/dev/video1";
  command(*window, kVideoSourceId);
  EXPECT_EQ(cameraLog.lastSettings.device, "/dev/video1");
  EXPECT_FALSE(noteShown());
  command(*window, kAviId);
  cameraLog.devices = {"/dev/video0"};
  command(*window, kCameraId);
  EXPECT_EQ(cameraLog.lastSettings.device, "");
  EXPECT_EQ(window->windowTitle(), "Live video");
  EXPECT_EQ(note(), "Camera /dev/video1 not found: showing the first camera that opens");
  // None at all: the chosen one is still the one named.
  command(*window, kAviId);
  cameraLog.devices.clear();
  command(*window, kCameraId);
  EXPECT_EQ(note(), "No camera found (/dev/video1 is not connected)");
}

TEST_F(CameraAbsentTest, ACameraThatSendsNoPictureIsNotCalledLiveVideo) {
  window->initialiseWindow();
  command(*window, kCameraId);
  window->onCameraWatch();  // nothing yet: the camera is silent
  EXPECT_EQ(window->windowTitle(), "No camera picture");
  ASSERT_TRUE(noteShown());
  EXPECT_EQ(note(), "No picture from the camera: is another program using it?");
  QImage red(320, 240, QImage::Format_RGB888);
  red.fill(Qt::red);
  camera->deliver(red);
  EXPECT_EQ(window->windowTitle(), "Live video");
  EXPECT_FALSE(noteShown());
  window->onCameraWatch();
  EXPECT_EQ(window->windowTitle(), "Live video");
}

// The remembered wish for the camera survives a start without one.
TEST_F(CameraAbsentTest, ARememberedCameraAbsentAtStartIsTriedAgainNextTime) {
  PrivateSettings place{"mosaiccast"};
  place.writeFile("[video]\nsource=camera\n[camera]\ndevice=/dev/video4\n");
  services.loadSettings = loadUserTransmitterSettings;
  services.saveSettings = saveUserTransmitterSettings;
  cameraLog.devices.clear();
  SetUp();
  window->initialiseWindow();
  EXPECT_FALSE(window->videoState().cameraMode);
  EXPECT_EQ(window->windowTitle(), "AVI-to-NBTV");
  EXPECT_EQ(note(), "No camera found (/dev/video4 is not connected)");
  command(*window, kExitId);
  const TransmitterSettings kept = loadUserTransmitterSettings();
  EXPECT_EQ(kept.cameraMode, true);
  EXPECT_EQ(kept.cameraDevice, "/dev/video4");
}

// The program's own camera on this computer, which has none (skipped where one is plugged in).
TEST_F(CameraAbsentTest, TheProgramOnAComputerWithoutACameraSaysSo) {
  if (!listCaptureDevices().empty()) GTEST_SKIP() << "this computer has a camera";
  TransmitterServices s = programServices(audio, false);
  s.chooseFile = [this](QWidget*) { return nextFile; };
  s.crawlTextPath = dir.filePath("TESTPATT.INI").toStdString();
  window = std::make_unique<TransmitterWindow>(std::move(s));
  window->initialiseWindow();
  nextFile = makeVideo("clip.avi", 10);
  command(*window, kOpenId);
  runUntil([&] { return !window->windowTitle().contains("opening"); }, 5000);
  command(*window, kCameraId);
  EXPECT_EQ(window->windowTitle(), "clip.avi");
  EXPECT_EQ(note(), "No camera found");
  EXPECT_FALSE(window->videoState().cameraMode);
}

}  // namespace
}  // namespace mosaic::test
