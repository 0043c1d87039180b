// Pictures of the Mosaiccast window for a person to look at: at start-up, in file mode, with the
// crawl on, and in camera mode on FFmpeg's generated test source. Run it under an X server to
// see the window as the screen draws it (the offscreen platform draws it without decorations):
//   mosaiccast_screenshots OUT_DIR [VIDEO]
// Without VIDEO, file mode shows the empty area. Not a test: it only writes pictures.

#include "media/ffmpeg_camera.h"
#include "media/ffmpeg_video_file.h"
#include "transmitter/app/command_ids.h"
#include "transmitter/app/transmitter_window.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <deque>

namespace {

using namespace mosaic;

// A sound output that plays nothing: the program hands a buffer back when told to, so that each
// picture is taken after a known number of frames.
class HeldOutput : public AudioOutput {
 public:
  bool open(int, BufferDone done) override {
    done_ = std::move(done);
    return true;
  }
  void write(const std::int16_t*, int) override { ++queued_; }
  void reset() override { queued_ = 0; }
  void close() override {}
  void finishOne() {
    if (queued_ == 0) return;
    --queued_;
    done_();
  }

 private:
  BufferDone done_;
  int queued_ = 0;
};

void settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// The window as drawn by itself, as the screen shows it (on a real display) and its video area.
void save(TransmitterWindow& window, const QDir& out, const QString& name) {
  settle(300);
  window.grab().save(out.filePath(name + ".png"));
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    const QRect frame = window.frameGeometry();
    window.screen()
        ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
        .save(out.filePath(name + "-screen.png"));
  }
  window.videoArea().save(out.filePath(name + "-area.png"));
  std::printf("%s\n", qPrintable(out.filePath(name + ".png")));
}

TransmitterServices services(HeldOutput& audio, const QDir& out, const QString& video) {
  TransmitterServices s;
  s.audio = &audio;
  s.makeVideoFile = [] { return std::make_unique<FfmpegVideoFile>(); };
  s.makeCamera = [] {
    return std::make_unique<FfmpegCamera>(
        CaptureBackend{"lavfi", {"testsrc=size=320x240:rate=25"}});
  };
  s.chooseFile = [video](QWidget*) -> std::optional<QString> { return video; };
  s.crawlTextPath = out.filePath(QStringLiteral("TESTPATT.INI")).toStdString();
  return s;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: mosaiccast_screenshots OUT_DIR [VIDEO]\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  QDir().mkpath(out.path());
  const QString video = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  QFile crawl(out.filePath(QStringLiteral("TESTPATT.INI")));
  if (!crawl.open(QIODevice::WriteOnly) || crawl.write("CALL 0 TEST, more\r\n") < 0) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(crawl.fileName()));
    return 1;
  }
  crawl.close();

  HeldOutput audio;
  {
    TransmitterWindow window(services(audio, out, video));
    window.initialiseWindow();
    window.show();
    save(window, out, QStringLiteral("startup"));
    if (!video.isEmpty()) {
      window.menuAction(kOpenId)->trigger();
      window.onPositionScroll(ScrollCode::ThumbTrack, 3);
    }
    audio.finishOne();
    save(window, out, QStringLiteral("file-mode"));
    window.menuAction(kCrawlToggleId)->trigger();
    for (int i = 0; i < 3; ++i) audio.finishOne();
    save(window, out, QStringLiteral("crawl-on"));
  }
  TransmitterWindow window(services(audio, out, video));
  window.initialiseWindow();
  window.show();
  window.menuAction(kCameraId)->trigger();
  settle(1500);
  audio.finishOne();
  save(window, out, QStringLiteral("camera-mode"));
  return 0;
}
