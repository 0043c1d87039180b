// The transmitter window driven through its commands: start-up, file and camera modes, the step
// timer, the position bar, and the end.

#include "window_fixture.h"

#include "platform/dialog_units.h"
#include "platform/status_banner.h"
#include "tests/support/whole_controls.h"

#include "transmitter/app/command_ids.h"
#include "transmitter/app/play_pause_button.h"
#include "transmitter/app/position_bar.h"
#include "transmitter/app/video_area_widget.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace mosaic::test {
namespace {

QString stateText(const TransmitterWindow& w) {
  auto* b = qobject_cast<PlayPauseButton*>(w.control(kPlayPauseId));
  return b ? b->stateText() : QStringLiteral("<none>");
}

PositionBar* bar(const TransmitterWindow& w) {
  return qobject_cast<PositionBar*>(w.control(kPositionBarId));
}

// The menu bar as "text=id" entries, popups with their items in brackets.
QStringList menuLayout(QMenuBar* bar) {
  QStringList out;
  for (QAction* a : bar->actions()) {
    if (a->menu()) {
      QStringList items;
      for (QAction* i : a->menu()->actions())
        items << (i->isSeparator() ? "-" : i->text() + "=" + i->objectName());
      out << a->text() + "[" + items.join(",") + "]";
    } else {
      out << a->text() + "=" + a->objectName();
    }
  }
  return out;
}

TEST_F(WindowTest, StartsWithCaptionMenusFileControlsAndSilenceQueued) {
  EXPECT_EQ(window->windowTitle(), "Colour TV TX (Voxlane+)");
  EXPECT_EQ(menuLayout(window->menus()),
            (QStringList{"&File[Open=401,-,Crawl on/off=421,-,Sound &device...=430,-,Exit=402]",
                         "&Output=418", "&Camera=409", "&AVI=410"}));
  EXPECT_EQ(stateText(*window), ";");
  EXPECT_EQ(window->control(kPlayPauseId)->geometry(), QRect(0, 130, 30, 24));
  ASSERT_NE(bar(*window), nullptr);
  EXPECT_EQ(bar(*window)->geometry(), QRect(31, 130, 129, 24));
  EXPECT_EQ(window->control(kVideoSourceId), nullptr);
  EXPECT_EQ(window->control(kVideoFormatId), nullptr);
  EXPECT_EQ(window->windowIcon().availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
  window->initialiseWindow();
  window->show();
  // Transmitting from initialisation: two silent frames queued at 48000 Hz.
  EXPECT_EQ(audio.sampleRateHz, 48000);
  ASSERT_EQ(audio.played.size(), 2u);
  for (const auto& b : audio.played)
    EXPECT_TRUE(std::all_of(b.begin(), b.end(), [](short s) { return s == 0; }));
  // Every returned buffer brings a frame built from the area: the marker frame is on it now.
  audio.finishOldest();
  EXPECT_EQ(audio.played.size(), 3u);
  EXPECT_EQ(window->videoArea().pixelColor(31, 19), QColor(255, 255, 0));
  // Resizing moves nothing.
  window->resize(400, 400);
  app().processEvents();
  EXPECT_EQ(window->control(kPlayPauseId)->geometry(), QRect(0, 130, 30, 24));
  EXPECT_EQ(bar(*window)->geometry(), QRect(31, 130, 129, 24));
  EXPECT_EQ(window->clientArea()->mapTo(window.get(), QPoint(0, 0)).y(), window->menus()->height());
}

// The controls of both modes, and the banner that says the sound output is missing, show whole
// at two font sizes.
TEST_F(WindowTest, EveryControlShowsWholeInBothModesAtTwoFontSizes) {
  audio.available = false;
  window->initialiseWindow();
  for (const int points : {8, 12}) {
    SCOPED_TRACE(points);
    QFont font = dialogFont();
    font.setPointSize(points);
    window->setFont(font);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(window->statusBanner()->isVisibleTo(window.get()));
    for (const int mode : {kCameraId, kAviId}) {
      command(*window, mode);
      app().processEvents();
      // The crawl may run on past the video area's right edge, under the window's edge, as it
      // is drawn for the grab.
      const QWidget* videoArea = window->clientArea()->findChild<VideoAreaWidget*>();
      for (const std::string& problem : controlsNotWhole(*window->clientArea(), {videoArea}))
        ADD_FAILURE() << problem;
    }
  }
}

TEST_F(WindowTest, CrawlSwitchesOnAndOffAndOutputStartsAnotherMixerEachTime) {
  window->initialiseWindow();
  command(*window, kCrawlToggleId);
  EXPECT_TRUE(window->crawlState().crawlOn);
  command(*window, kCrawlToggleId);
  EXPECT_FALSE(window->crawlState().crawlOn);
  command(*window, kOutputId);
  command(*window, kOutputId);
  EXPECT_EQ(mixerStarts, 2);
  // Neither touches the transmission or the source.
  EXPECT_EQ(audio.resetCount, 0);
  EXPECT_EQ(cameraLog.made, 0);
  EXPECT_EQ(window->windowTitle(), "Colour TV TX (Voxlane+)");
}

TEST_F(WindowTest, OpenStartsStoppedAtTheFirstFrameAndReportsFilesItCannotShow) {
  window->initialiseWindow();
  const QString first = makeVideo("first.avi", 12);
  open(first);
  EXPECT_EQ(window->windowTitle(), "first.avi");
  EXPECT_EQ(window->videoState().length, 12);
  EXPECT_EQ(bar(*window)->maximum(), 12);
  EXPECT_EQ(frameOfPicture(window->videoArea().copy(0, 0, 160, 128)), 0);
  command(*window, kPlayPauseId);
  EXPECT_EQ(stateText(*window), "4");
  EXPECT_TRUE(window->stepTimerRunning());
  for (int i = 0; i < 5; ++i) window->onStepTimer();
  EXPECT_EQ(window->videoState().position, 5);
  EXPECT_EQ(bar(*window)->value(), 5);
  // Cancelling changes nothing.
  nextFile.reset();
  command(*window, kOpenId);
  EXPECT_EQ(window->videoState().position, 5);
  EXPECT_TRUE(window->stepTimerRunning());
  // Another file: stopped, at 0.
  open(makeVideo("second.avi", 7));
  EXPECT_EQ(window->windowTitle(), "second.avi");
  EXPECT_EQ(window->videoState().position, 0);
  EXPECT_EQ(window->videoState().length, 7);
  EXPECT_FALSE(window->videoState().stepping);
  EXPECT_FALSE(window->stepTimerRunning());
  EXPECT_EQ(stateText(*window), ";");
  // A file that is no video: the operator is told which and why; the program carries on.
  QFile junk(dir.filePath("notes.avi"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("this is not a video");
  junk.close();
  open(junk.fileName());
  ASSERT_EQ(failures.size(), 1);
  EXPECT_TRUE(failures[0].startsWith(junk.fileName() + ": "));
  EXPECT_GT(failures[0].size(), junk.fileName().size() + 2);
  EXPECT_EQ(window->windowTitle(), "notes.avi");
  EXPECT_EQ(window->videoState().length, 0);
  audio.finishOldest();
  EXPECT_EQ(audio.played.size(), 3u);
}

TEST_F(WindowTest, StepTimerWrapsAfterTheLengthAndSeeksEverySecondWithNoFrames) {
  window->initialiseWindow();
  open(makeVideo("clip.avi", 3));
  std::vector<int> positions;
  for (int i = 0; i < 9; ++i) {
    window->onStepTimer();
    positions.push_back(window->videoState().position);
  }
  // 0..length inclusive: the position "length" shows the last frame again.
  EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 0, 1, 2, 3, 0, 1}));
  window->onStepTimer();
  window->onStepTimer();
  EXPECT_EQ(frameOfPicture(window->videoArea().copy(0, 0, 160, 128)), 2);
  // No file: length 0, and every tick goes to 1 and back to 0.
  nextFile = dir.filePath("missing.avi");
  command(*window, kOpenId);
  window->onStepTimer();
  EXPECT_EQ(window->videoState().position, 0);
}

TEST_F(WindowTest, PositionBarCodesMoveThePositionAndIgnoredCodesDoNot) {
  window->initialiseWindow();
  open(makeVideo("clip.avi", 30));
  PositionBar* b = bar(*window);
  b->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // line down
  EXPECT_EQ(window->videoState().position, 1);
  b->triggerAction(QAbstractSlider::SliderPageStepAdd);  // page down: a fifth of the range
  EXPECT_EQ(window->videoState().position, 7);
  b->triggerAction(QAbstractSlider::SliderToMaximum);  // bottom
  EXPECT_EQ(window->videoState().position, 30);
  EXPECT_EQ(frameOfPicture(window->videoArea().copy(0, 0, 160, 128)), 29);
  b->triggerAction(QAbstractSlider::SliderToMinimum);  // top
  EXPECT_EQ(window->videoState().position, 0);
  window->onPositionScroll(ScrollCode::ThumbTrack, 17);
  EXPECT_EQ(window->videoState().position, 17);
  EXPECT_EQ(b->value(), 17);
  EXPECT_EQ(frameOfPicture(window->videoArea().copy(0, 0, 160, 128)), 17);
  window->onPositionScroll(ScrollCode::ThumbPosition, 3);
  window->onPositionScroll(ScrollCode::EndTrack, 4);
  EXPECT_EQ(window->videoState().position, 17);
  // The thumb position is a 16-bit value.
  window->onPositionScroll(ScrollCode::ThumbTrack, 0x10000 + 12);
  EXPECT_EQ(window->videoState().position, 12);
  // The timer goes on from a position set by hand.
  window->onStepTimer();
  EXPECT_EQ(window->videoState().position, 13);
}

TEST(PositionBarRange, LongFilesGetTheLow16BitsOfTheirLength) {
  app();
  PositionBar b(nullptr);
  b.setLength(70000);
  EXPECT_EQ(b.maximum(), 70000 - 65536);
  b.setLength(65535);
  EXPECT_EQ(b.maximum(), 65535);
}

TEST_F(WindowTest, CameraTwiceMakesOneCameraAndAviRestoresStepping) {
  window->initialiseWindow();
  open(makeVideo("clip.avi", 20));
  command(*window, kPlayPauseId);
  window->onPositionScroll(ScrollCode::ThumbTrack, 6);
  command(*window, kCameraId);
  EXPECT_EQ(window->windowTitle(), "Live video");
  EXPECT_FALSE(window->stepTimerRunning());
  EXPECT_TRUE(window->videoState().stepping);  // kept for "&AVI"
  EXPECT_EQ(window->control(kPlayPauseId), nullptr);
  EXPECT_EQ(window->control(kPositionBarId), nullptr);
  ASSERT_NE(window->control(kVideoSourceId), nullptr);
  EXPECT_EQ(window->control(kVideoSourceId)->geometry(), QRect(0, 130, 80, 23));
  EXPECT_EQ(window->control(kVideoFormatId)->geometry(), QRect(80, 130, 80, 23));
  command(*window, kCameraId);
  EXPECT_EQ(cameraLog.made, 1);
  EXPECT_EQ(cameraLog.connects, 2);
  EXPECT_EQ(cameraLog.previewStarts, 2);
  EXPECT_EQ(cameraLog.previewIntervalMs, 1110);
  // The preview shows in the area and is what the next frame sends.
  QImage red(320, 240, QImage::Format_RGB888);
  red.fill(Qt::red);
  camera->deliver(red);
  EXPECT_EQ(window->videoArea().pixelColor(80, 60), QColor(Qt::red));
  // "Video &source" and "Video &format" reconnect with the operator's choice.
  nextDevice = "/dev/video1";
  command(*window, kVideoSourceId);
  nextSize = FrameSize{320, 240};
  command(*window, kVideoFormatId);
  EXPECT_EQ(cameraLog.lastSettings.device, "/dev/video1");
  EXPECT_EQ(cameraLog.lastSettings.width, 320);
  // Each choice drops the connection before making the new one; the camera itself stays.
  EXPECT_EQ(cameraLog.calls, (std::vector<std::string>{
                                 "made", "connect", "preview", "connect", "preview", "disconnect",
                                 "connect", "preview", "disconnect", "connect", "preview"}));
  // Back to the file: position and stepping as they were.
  command(*window, kAviId);
  EXPECT_EQ(window->windowTitle(), "clip.avi");
  EXPECT_EQ(cameraLog.destroyed, 1);
  EXPECT_EQ(std::vector<std::string>(cameraLog.calls.end() - 2, cameraLog.calls.end()),
            (std::vector<std::string>{"disconnect", "destroyed"}));
  EXPECT_EQ(window->control(kVideoSourceId), nullptr);
  EXPECT_EQ(stateText(*window), "4");
  EXPECT_TRUE(window->stepTimerRunning());
  EXPECT_EQ(window->videoState().position, 6);
  EXPECT_EQ(bar(*window)->value(), 6);
  EXPECT_EQ(frameOfPicture(window->videoArea().copy(0, 0, 160, 128)), 6);
  // Entering camera mode again makes a new camera.
  command(*window, kCameraId);
  EXPECT_EQ(cameraLog.made, 2);
}

TEST_F(WindowTest, AviWithoutAFileAndAMissingCameraLeaveTheWindowWorking) {
  cameraPresent = false;
  window->initialiseWindow();
  command(*window, kCameraId);
  EXPECT_FALSE(camera->connected());
  const QImage before = window->videoArea();
  command(*window, kCameraId);
  EXPECT_EQ(window->videoArea(), before);  // whatever was there stays
  audio.finishOldest();
  EXPECT_EQ(audio.played.size(), 3u);
  command(*window, kAviId);
  EXPECT_EQ(window->windowTitle(), "AVI-to-NBTV");
  EXPECT_EQ(stateText(*window), ";");
  EXPECT_FALSE(window->stepTimerRunning());
}

TEST_F(WindowTest, ExitAndTheCloseBoxEndTheTransmissionOnceAndEscapeDoesNot) {
  window->initialiseWindow();
  window->show();
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(audio.resetCount, 0);
  command(*window, kPlayPauseId);
  command(*window, kExitId);
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(window->stepTimerRunning());
  EXPECT_EQ(audio.resetCount, 1);
  EXPECT_EQ(audio.closeCount, 1);
  window->close();
  window.reset();
  EXPECT_EQ(audio.closeCount, 1);
}

TEST_F(WindowTest, TheCloseBoxRunsTheShutDown) {
  window->initialiseWindow();
  window->show();
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(audio.closeCount, 1);
}

}  // namespace
}  // namespace mosaic::test
