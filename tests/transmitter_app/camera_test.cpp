// Cameras through FFmpeg's capture devices, with FFmpeg's generated test sources standing in.

#include "media/ffmpeg_camera.h"
#include "tests/support/digest.h"
#include "tests/support/qt_app.h"
#include "transmitter/app/picture_grab.h"
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>

namespace mosaic {
namespace {

CaptureBackend testSource(const char* graph) { return CaptureBackend{"lavfi", {graph}}; }

TEST(FfmpegCamera, PreviewPicturesArriveOnTheUiThreadUntilDisconnected) {
  test::app();
  FfmpegCamera camera(testSource("testsrc=size=320x240:rate=25"));
  ASSERT_TRUE(camera.connectDriver({}));
  ASSERT_TRUE(test::runUntil([&] { return camera.connected(); }, 5000));
  EXPECT_EQ(camera.connectedDevice(), "testsrc=size=320x240:rate=25");
  EXPECT_TRUE(camera.connectDriver({}));  // connecting again keeps the connection
  int pictures = 0;
  bool onUiThread = true;
  QSize size;
  camera.startPreview(100, [&](const QImage& picture) {
    ++pictures;
    onUiThread = onUiThread && QThread::currentThread() == test::app().thread();
    size = picture.size();
  });
  EXPECT_TRUE(test::runUntil([&] { return pictures >= 3; }, 5000));
  EXPECT_TRUE(onUiThread);
  EXPECT_EQ(size, QSize(320, 240));
  EXPECT_EQ(camera.frameSizes(), (std::vector<FrameSize>{{320, 240}}));
  camera.disconnectDriver();
  EXPECT_FALSE(camera.connected());
  const int after = pictures;
  test::runUntil([] { return false; }, 300);
  EXPECT_EQ(pictures, after);
}

TEST(FfmpegCamera, PreviewComesAtThePreviewRateNotTheDeviceRate) {
  test::app();
  FfmpegCamera camera(testSource("testsrc=size=160x120:rate=50"));
  ASSERT_TRUE(camera.connectDriver({}));
  ASSERT_TRUE(test::runUntil([&] { return camera.connected(); }, 5000));
  int pictures = 0;
  camera.startPreview(250, [&](const QImage&) { ++pictures; });
  test::runUntil([] { return false; }, 1100);
  // One at once, then one per 250 ms: about 5 in 1.1 s, not 55.
  EXPECT_GE(pictures, 3);
  EXPECT_LE(pictures, 6);
}

// FFmpeg's colour bars, generated in YUV, through the one conversion to RGB: the same picture on
// every machine (the digest was taken on x86-64), white and black at the ends of the scale.
TEST(FfmpegCamera, ColourBarsFromATestSourceAreTheRecordedPicture) {
  test::app();
  FfmpegCamera camera(testSource("pal100bars=size=160x120:rate=25,format=yuv420p"));
  ASSERT_TRUE(camera.connectDriver({}));
  ASSERT_TRUE(test::runUntil([&] { return camera.connected(); }, 5000));
  QImage picture;
  camera.startPreview(100, [&](const QImage& p) {
    if (picture.isNull()) picture = p.convertToFormat(QImage::Format_RGB888);
  });
  ASSERT_TRUE(test::runUntil([&] { return !picture.isNull(); }, 5000));
  EXPECT_EQ(picture.pixelColor(4, 60), QColor(255, 255, 255));
  EXPECT_EQ(picture.pixelColor(155, 60), QColor(0, 0, 0));
  test::Digest digest;
  for (int y = 0; y < picture.height(); ++y)
    digest.add(std::span<const std::uint8_t>(picture.constScanLine(y),
                                             3 * static_cast<std::size_t>(picture.width())));
  EXPECT_EQ(test::Digest::hex(digest.value()), "0x7b96efbb8cf54f25");
}

TEST(FfmpegCamera, MissingDevicesDoNotConnect) {
  test::app();
  FfmpegCamera noGraph(testSource("no_such_source_filter"));
  noGraph.connectDriver({});
  EXPECT_FALSE(test::runUntil([&] { return noGraph.connected(); }, 500));
  EXPECT_TRUE(noGraph.connectedDevice().empty());
  FfmpegCamera noDevice(CaptureBackend{"video4linux2", {"/nonexistent/video7"}});
  noDevice.connectDriver({});
  EXPECT_FALSE(test::runUntil([&] { return noDevice.connected(); }, 500));
  noDevice.disconnectDriver();  // harmless
}

// A device that goes away (here a source that ends) no longer counts as connected, and
// connecting again, as a second "&Camera" does, opens it afresh.
TEST(FfmpegCamera, ADeviceThatWentAwayIsOpenedAfreshByTheNextConnect) {
  test::app();
  FfmpegCamera camera(testSource("testsrc=size=160x120:rate=25:duration=0.4"));
  ASSERT_TRUE(camera.connectDriver({}));
  ASSERT_TRUE(test::runUntil([&] { return camera.connected(); }, 5000));
  EXPECT_TRUE(test::runUntil([&] { return !camera.connected(); }, 5000));
  ASSERT_TRUE(camera.connectDriver({}));
  EXPECT_TRUE(test::runUntil([&] { return camera.connected(); }, 5000));
  int pictures = 0;
  camera.startPreview(50, [&](const QImage&) { ++pictures; });
  EXPECT_TRUE(test::runUntil([&] { return pictures > 0; }, 5000));
}

// A device that does not answer (a pipe nobody writes to yet) is probed on the reader: the
// window's thread gets its answer at once.
TEST(FfmpegCamera, ADeviceThatDoesNotAnswerNeverHoldsTheWindow) {
  test::app();
  QTemporaryDir dir;
  const QByteArray pipe = dir.filePath("camera").toLocal8Bit();
  ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
  FfmpegCamera camera(CaptureBackend{"mjpeg", {pipe.toStdString()}});
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(camera.connectDriver({}));
  EXPECT_LT(clock.elapsed(), 200);
  EXPECT_FALSE(camera.connected());
  // The device answers with nothing and goes away: the camera stays unconnected.
  const int writer = ::open(pipe.constData(), O_WRONLY);
  ASSERT_GE(writer, 0);
  ::close(writer);
  camera.disconnectDriver();
  EXPECT_FALSE(camera.connected());
}

// The window in camera mode on a white test source transmits the white picture.
class CameraWindowTest : public test::WindowTest {};

TEST_F(CameraWindowTest, WindowShowsAndSendsTheTestSource) {
  // The fixture's fake camera is replaced by FFmpeg's, on a white generated source.
  TransmitterServices s;
  s.audio = &audio;
  s.makeVideoFile = [] { return std::make_unique<FfmpegVideoFile>(); };
  s.makeCamera = [] {
    return std::make_unique<FfmpegCamera>(testSource("color=c=white:size=320x240:rate=25"));
  };
  s.crawlTextPath = dir.filePath("TESTPATT.INI").toStdString();
  window = std::make_unique<TransmitterWindow>(std::move(s));
  window->initialiseWindow();
  test::command(*window, kCameraId);
  ASSERT_TRUE(test::runUntil(
      [&] { return window->videoArea().pixelColor(80, 60) == QColor(Qt::white); }, 5000));
  audio.finishOldest();
  ASSERT_EQ(audio.played.size(), 3u);
  // The frame is the one of a white video area.
  ComposedVideoArea white;
  QImage picture(160, 128, QImage::Format_RGB888);
  picture.fill(Qt::white);
  white.setSourcePicture(picture);
  CrawlState crawl;
  TransmitChain chain;
  std::vector<std::int16_t> expected(kFrameSamples);
  buildComposedFrame(chain, white, crawl, "", expected.data());
  EXPECT_EQ(audio.played[2], expected);
}

}  // namespace
}  // namespace mosaic
