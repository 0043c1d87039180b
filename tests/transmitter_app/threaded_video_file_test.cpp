// Video files opened, counted and decoded on a worker: the window's thread never waits, sees
// the file as being opened until it is, and gets the newest position's picture, fitted.

#include "transmitter/app/threaded_video_file.h"
#include "media/ffmpeg_video_file.h"
#include "test_video.h"
#include "tests/support/qt_app.h"
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace mosaic {
namespace {

// A file whose every seek takes 200 ms, noting the positions it was asked for.
class SlowFile : public VideoFileSource {
 public:
  bool open(const std::string&, std::string&) override { return true; }
  void close() override {}
  std::int32_t length() const override { return 100; }
  void seek(std::int32_t position) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::lock_guard<std::mutex> hold(lock);
    seeks.push_back(position);
    shown = position;
  }
  QImage picture() const override {
    QImage image(320, 240, QImage::Format_RGB888);
    image.fill(QColor(shown, shown, shown));
    return image;
  }
  std::mutex lock;
  std::vector<int> seeks;
  std::atomic<int> shown{0};
};

TEST(ThreadedVideoFile, OpensAndCountsOnTheWorkerAndShowsTheFrameAskedFor) {
  test::app();
  QTemporaryDir dir;
  const std::string path = dir.filePath("clip.avi").toStdString();
  ASSERT_TRUE(test::writeTestVideo(path, {}));
  ThreadedVideoFile file(std::make_unique<FfmpegVideoFile>());
  int changes = 0;
  file.setChangeHandler([&] { ++changes; });
  std::string error;
  EXPECT_TRUE(file.open(path, error));
  EXPECT_TRUE(file.opening());
  EXPECT_EQ(file.length(), 0);
  ASSERT_TRUE(test::runUntil([&] { return !file.opening(); }, 10000));
  EXPECT_EQ(file.length(), 30);
  EXPECT_TRUE(file.takeOpenError().empty());
  for (int position : {3, 17, 9}) {
    changes = 0;
    file.seek(position);
    ASSERT_TRUE(test::runUntil([&] { return changes > 0; }, 5000));
    EXPECT_EQ(test::frameOfPicture(file.picture()), position);
    EXPECT_EQ(file.picture().size(), QSize(160, 128));  // already fitted to the video area
  }
  file.close();
  EXPECT_TRUE(file.picture().isNull());
  EXPECT_EQ(file.length(), 0);
}

TEST(ThreadedVideoFile, AFileThatCannotBeOpenedSaysWhyOnce) {
  test::app();
  QTemporaryDir dir;
  ThreadedVideoFile file(std::make_unique<FfmpegVideoFile>());
  bool changed = false;
  file.setChangeHandler([&] { changed = true; });
  std::string error;
  file.open(dir.filePath("missing.avi").toStdString(), error);
  ASSERT_TRUE(test::runUntil([&] { return changed; }, 5000));
  EXPECT_FALSE(file.opening());
  EXPECT_FALSE(file.takeOpenError().empty());
  EXPECT_TRUE(file.takeOpenError().empty());
  EXPECT_EQ(file.length(), 0);
}

TEST(ThreadedVideoFile, ASlowSeekNeverHoldsTheCallerAndOvertakenPositionsAreSkipped) {
  test::app();
  auto slow = std::make_unique<SlowFile>();
  SlowFile* inner = slow.get();
  ThreadedVideoFile file(std::move(slow));
  QElapsedTimer clock;
  clock.start();
  for (int position = 1; position <= 5; ++position) file.seek(position);
  EXPECT_LT(clock.elapsed(), 100);  // five seeks of 200 ms each, none waited for
  ASSERT_TRUE(test::runUntil([&] { return inner->shown == 5; }, 5000));
  test::runUntil([] { return false; }, 300);
  std::lock_guard<std::mutex> hold(inner->lock);
  EXPECT_LT(inner->seeks.size(), 5u);
  EXPECT_EQ(inner->seeks.back(), 5);
  EXPECT_EQ(qGray(file.picture().pixel(0, 0)), 5);
}

// The window with the program's own file source: the caption says the file is being opened,
// and once it is, the length, the bar and the picture follow.
class ThreadedWindowTest : public test::WindowTest {
 protected:
  void SetUp() override {
    services.makeVideoFile = [] {
      return std::make_unique<ThreadedVideoFile>(std::make_unique<FfmpegVideoFile>());
    };
    test::WindowTest::SetUp();
  }
};

TEST_F(ThreadedWindowTest, TheCaptionShowsAFileBeingOpenedUntilItIs) {
  window->initialiseWindow();
  open(makeVideo("clip.avi", 12));
  EXPECT_EQ(window->windowTitle(), QStringLiteral("clip.avi (opening...)"));
  ASSERT_TRUE(test::runUntil([&] { return window->videoState().length == 12; }, 10000));
  EXPECT_EQ(window->windowTitle(), QStringLiteral("clip.avi"));
  window->onPositionScroll(ScrollCode::ThumbTrack, 7);
  ASSERT_TRUE(test::runUntil(
      [&] { return test::frameOfPicture(window->videoArea().copy(0, 0, 160, 128)) == 7; }, 5000));

  QFile junk(dir.filePath("junk.avi"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write(QByteArray(5000, 'x'));
  junk.close();
  open(junk.fileName());
  ASSERT_TRUE(test::runUntil([&] { return !failures.isEmpty(); }, 5000));
  EXPECT_TRUE(failures.front().startsWith(junk.fileName()));
  EXPECT_EQ(window->windowTitle(), QStringLiteral("junk.avi"));
  EXPECT_EQ(window->videoState().length, 0);
}

// The file remembered from the last run is opened on the worker; its remembered frame is shown
// once the file is counted, not refused for a length still unknown.
class RememberedFileTest : public ThreadedWindowTest {
 protected:
  void SetUp() override {
    services.loadSettings = [this] {
      TransmitterSettings remembered;
      remembered.videoFile = makeVideo("remembered.avi", 12);
      remembered.position = 9;
      return remembered;
    };
    ThreadedWindowTest::SetUp();
  }
};

TEST_F(RememberedFileTest, TheRememberedFrameIsShownOnceTheFileIsCounted) {
  window->initialiseWindow();
  ASSERT_TRUE(test::runUntil([&] { return window->videoState().length == 12; }, 10000));
  EXPECT_EQ(window->videoState().position, 9);
  ASSERT_TRUE(test::runUntil(
      [&] { return test::frameOfPicture(window->videoArea().copy(0, 0, 160, 128)) == 9; }, 5000));
}

}  // namespace
}  // namespace mosaic
