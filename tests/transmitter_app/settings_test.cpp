// The transmitter's remembered settings: the file and its frame, the source, the crawl switch
// and the camera with its format come back in the next window after it ends; a damaged settings
// file gives what is usable in it and start values for the rest.

#include "tests/support/private_settings.h"
#include "transmitter/app/command_ids.h"
#include "window_fixture.h"

namespace mosaic::test {
namespace {

class TransmitterSettingsTest : public WindowTest {
 protected:
  void SetUp() override { startWindow(); }

  // A new window that reads and writes the remembered settings, as the program's does, and
  // opens `file` when the program was given one.
  void startWindow(const std::optional<QString>& file = std::nullopt) {
    cameraLog.devices = {"/dev/video0", "/dev/video3", "/dev/video7"};  // those the tests choose
    services.loadSettings = loadUserTransmitterSettings;
    services.saveSettings = saveUserTransmitterSettings;
    WindowTest::SetUp();
    window->initialiseWindow(file);
  }

  PrivateSettings place{"mosaiccast"};
};

TEST_F(TransmitterSettingsTest, TheNextWindowShowsWhatTheLastOneEndedWith) {
  const QString clip = makeVideo(QStringLiteral("clip.mkv"), 30);
  open(clip);
  window->onPositionScroll(ScrollCode::ThumbTrack, 12);
  command(*window, kCrawlToggleId);
  command(*window, kCameraId);
  nextDevice = "/dev/video7";
  command(*window, kVideoSourceId);
  nextSize = FrameSize{320, 240};
  command(*window, kVideoFormatId);
  command(*window, kExitId);

  cameraLog.connects = 0;
  startWindow();
  EXPECT_EQ(window->videoState().fileName, clip.toStdString());
  EXPECT_EQ(window->videoState().position, 12);
  EXPECT_EQ(window->videoState().length, 30);
  EXPECT_TRUE(window->videoState().cameraMode);
  EXPECT_TRUE(window->crawlState().crawlOn);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Live video"));
  ASSERT_EQ(cameraLog.connects, 1);
  EXPECT_EQ(cameraLog.lastSettings.device, "/dev/video7");
  EXPECT_EQ(cameraLog.lastSettings.width, 320);
  EXPECT_EQ(cameraLog.lastSettings.height, 240);

  // Back to the file: the remembered frame, as the operator left it.
  command(*window, kAviId);
  EXPECT_EQ(window->videoState().position, 12);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("clip.mkv"));
}

TEST_F(TransmitterSettingsTest, AFileGivenToTheProgramIsOpenedAsOpenDoesInPlaceOfTheRemembered) {
  open(makeVideo(QStringLiteral("remembered.mkv"), 30));
  window->onPositionScroll(ScrollCode::ThumbTrack, 12);
  command(*window, kPlayPauseId);
  command(*window, kCameraId);
  command(*window, kExitId);

  const QString given = makeVideo(QStringLiteral("given.mkv"), 20);
  cameraLog.connects = 0;
  startWindow(given);
  EXPECT_EQ(window->videoState().fileName, given.toStdString());
  EXPECT_EQ(window->videoState().length, 20);
  EXPECT_EQ(window->videoState().position, 0);
  EXPECT_FALSE(window->videoState().stepping);
  EXPECT_FALSE(window->videoState().cameraMode);
  EXPECT_EQ(cameraLog.connects, 0);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("given.mkv"));
  EXPECT_TRUE(failures.isEmpty());
  command(*window, kExitId);

  // A file that cannot be shown is reported as "Open" reports it, and the program sends.
  const QString missing = dir.filePath(QStringLiteral("missing.avi"));
  audio.played.clear();
  startWindow(missing);
  ASSERT_EQ(failures.size(), 1);
  EXPECT_TRUE(failures[0].startsWith(missing + ": "));
  EXPECT_EQ(window->windowTitle(), QStringLiteral("missing.avi"));
  ASSERT_EQ(audio.played.size(), 2u);
  audio.finishOldest();
  EXPECT_EQ(audio.played.size(), 3u);
}

TEST_F(TransmitterSettingsTest, ADamagedFileGivesItsUsableValuesAndStartValuesForTheRest) {
  const QString clip = makeVideo(QStringLiteral("short.mkv"), 10);
  command(*window, kExitId);

  // A missing file, a source and crawl switch that mean nothing, a frame size out of range.
  place.writeFile("[video]\nfile=" + dir.filePath(QStringLiteral("gone.mkv")).toUtf8() +
                  "\nposition=5\nsource=tv\n[crawl]\non=2\n"
                  "[camera]\ndevice=/dev/video3\nwidth=99999\nheight=240\n");
  startWindow();
  EXPECT_TRUE(window->videoState().fileName.empty());
  EXPECT_FALSE(window->videoState().cameraMode);
  EXPECT_FALSE(window->crawlState().crawlOn);
  EXPECT_TRUE(failures.isEmpty());
  command(*window, kCameraId);
  EXPECT_EQ(cameraLog.lastSettings.device, "/dev/video3");
  EXPECT_EQ(cameraLog.lastSettings.width, 0);
  command(*window, kExitId);

  // A frame beyond the end of the file: the file opens at its first frame.
  place.writeFile("[video]\nfile=" + clip.toUtf8() + "\nposition=500\nsource=file\n");
  startWindow();
  EXPECT_EQ(window->videoState().fileName, clip.toStdString());
  EXPECT_EQ(window->videoState().position, 0);
}

}  // namespace
}  // namespace mosaic::test
