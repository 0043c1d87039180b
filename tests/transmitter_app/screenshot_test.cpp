// Pictures of the window for the operator's eye: file mode, camera mode on a generated source,
// and the crawl. Written only when MOSAIC_SCREENSHOT_DIR names a folder (run under a real X
// server to see the window as it is drawn there).

#include "window_fixture.h"

#include "transmitter/app/command_ids.h"
#include "transmitter/app/ffmpeg_camera.h"

#include <QDir>
#include <QPainter>
#include <QScreen>

namespace mosaic::test {
namespace {

QImage colourCard(int i) {
  QImage img(320, 256, QImage::Format_RGB888);
  QPainter p(&img);
  const QColor bars[] = {Qt::white,   Qt::yellow, Qt::cyan, Qt::green,
                         Qt::magenta, Qt::red,    Qt::blue, Qt::black};
  for (int b = 0; b < 8; ++b) p.fillRect(b * 40, 0, 40, 256, bars[b]);
  p.setBrush(QColor(255, 128, 0));
  p.drawEllipse(QPoint(40 + (i * 20) % 240, 128), 40, 40);
  p.setPen(Qt::black);
  p.setFont(QFont("DejaVu Sans", 40, QFont::Bold));
  p.drawText(QRect(0, 170, 320, 80), Qt::AlignCenter, QString::number(i));
  return img;
}

class Screenshots : public WindowTest {
 protected:
  void SetUp() override {
    outDir = qEnvironmentVariable("MOSAIC_SCREENSHOT_DIR");
    if (outDir.isEmpty()) GTEST_SKIP() << "MOSAIC_SCREENSHOT_DIR not set";
    QDir().mkpath(outDir);
    WindowTest::SetUp();
  }

  // Saves the window as drawn by itself and, on a real display, as the screen shows it.
  void save(const QString& name) {
    runUntil([] { return false; }, 300);
    window->grab().save(outDir + "/" + name + ".png");
    if (QGuiApplication::platformName() == "xcb") {
      const QRect frame = window->frameGeometry();
      window->screen()
          ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
          .save(outDir + "/" + name + "-screen.png");
    }
    window->videoArea().save(outDir + "/" + name + "-area.png");
  }

  QString outDir;
};

TEST_F(Screenshots, FileModeCameraModeAndCrawl) {
  TestVideo v;
  v.frames = 10;
  v.width = 320;
  v.height = 256;
  v.picture = colourCard;
  const QString video = dir.filePath("bars.avi");
  ASSERT_TRUE(writeTestVideo(video.toStdString(), v));
  window->initialiseWindow();
  window->show();
  save("startup");
  open(video);
  window->onPositionScroll(ScrollCode::ThumbTrack, 3);
  audio.finishOldest();
  save("file-mode");
  writeCrawlText("CALL 0 TEST, more\r\n");
  window->dispatchCommand(kCrawlToggleId);
  for (int i = 0; i < 3; ++i) audio.finishOldest();
  save("crawl-on");
  window.reset();

  // Camera mode on FFmpeg's test source.
  TransmitterServices s;
  s.audio = &audio;
  s.makeVideoFile = [] { return std::make_unique<FfmpegVideoFile>(); };
  s.makeCamera = [] {
    return std::make_unique<FfmpegCamera>(
        CaptureBackend{"lavfi", {"testsrc=size=320x240:rate=25"}});
  };
  s.crawlTextPath = dir.filePath("TESTPATT.INI").toStdString();
  window = std::make_unique<TransmitterWindow>(std::move(s));
  window->initialiseWindow();
  window->show();
  window->dispatchCommand(kCameraId);
  runUntil([] { return false; }, 1500);
  audio.finishOldest();
  save("camera-mode");
}

}  // namespace
}  // namespace mosaic::test
