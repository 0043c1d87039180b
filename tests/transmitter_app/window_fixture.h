#pragma once
// A transmitter window wired to fakes: a fake sound device whose buffers the test returns, a
// fake camera, scripted dialogs, real FFmpeg video files made in a temporary folder, and a
// crawl text file in that folder.

#include "media/ffmpeg_video_file.h"
#include "test_video.h"
#include "tests/support/fake_audio_output.h"
#include "tests/support/fake_camera.h"
#include "tests/support/qt_app.h"
#include "tests/support/window_commands.h"
#include "transmitter/app/command_ids.h"
#include "transmitter/app/transmitter_window.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace mosaic::test {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    TransmitterServices s = std::move(services);
    s.audio = &audio;
    if (!s.makeVideoFile) s.makeVideoFile = [] { return std::make_unique<FfmpegVideoFile>(); };
    s.makeCamera = [this]() -> std::unique_ptr<CameraSource> {
      auto c = std::make_unique<fakes::FakeCamera>(cameraLog, cameraPresent);
      camera = c.get();
      return c;
    };
    s.chooseFile = [this](QWidget*) { return nextFile; };
    s.reportOpenFailure = [this](QWidget*, const QString& file, const QString& reason) {
      failures.push_back(file + ": " + reason);
    };
    s.startMixer = [this] { ++mixerStarts; };
    s.chooseDevice = [this](QWidget*, const std::vector<std::string>&, const std::string&) {
      return nextDevice;
    };
    s.chooseFrameSize = [this](QWidget*, const std::vector<FrameSize>&, FrameSize) {
      return nextSize;
    };
    s.crawlTextPath = dir.filePath("TESTPATT.INI").toStdString();
    window = std::make_unique<TransmitterWindow>(std::move(s));
  }

  // A test video of `frames` frames in the temporary folder.
  QString makeVideo(const QString& name, int frames, int width = 64, int height = 48) {
    const QString path = dir.filePath(name);
    TestVideo v;
    v.frames = frames;
    v.width = width;
    v.height = height;
    EXPECT_TRUE(writeTestVideo(path.toStdString(), v));
    return path;
  }

  // Opens `path` through "Open" as the operator would.
  void open(const QString& path) {
    nextFile = path;
    command(*window, kOpenId);
  }

  void writeCrawlText(const QByteArray& bytes) {
    QFile f(dir.filePath("TESTPATT.INI"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  // A derived fixture may set the file source before SetUp.
  TransmitterServices services;
  QTemporaryDir dir;
  fakes::FakeAudioOutput audio;
  fakes::CameraLog cameraLog;
  bool cameraPresent = true;
  fakes::FakeCamera* camera = nullptr;
  std::optional<QString> nextFile;
  std::optional<std::string> nextDevice;
  std::optional<FrameSize> nextSize;
  QStringList failures;
  int mixerStarts = 0;
  std::unique_ptr<TransmitterWindow> window;
};

}  // namespace mosaic::test
