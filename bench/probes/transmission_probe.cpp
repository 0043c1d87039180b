// The transmitter as it runs, on the real sound device, stepping a large 1080p H.264 file with
// key frames far apart, with jumps of the position bar now and then. Prints the worst gap on
// the air (from a recording of the default source), the time from a buffer's end of play to the
// grab of the next frame, the frame build time, and the worst stall of the window's thread.
// Not a test: run it with the test sound server and no display, for example
//   QT_QPA_PLATFORM=offscreen tests/run-with-sound-server.sh build/bench/transmission_probe
//   [SECONDS] [VIDEO]
// Without VIDEO it makes one (testsrc2, 1920 x 1080, 400 frames) in the temporary folder.

#include "bench/probes/lavfi_video.h"
#include "platform/sound_server_output.h"
#include "tests/support/sound_recorder.h"
#include "transmitter/app/command_ids.h"
#include "transmitter/app/transmitter_services.h"
#include "transmitter/app/transmitter_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using namespace mosaic;

// The program's sound output, timing what happens when a buffer comes back.
class TimedOutput : public AudioOutput {
 public:
  bool open(int rateHz, BufferDone done) override {
    return inner.open(rateHz, [this, done] {
      // The grab is the first thing the refill does: this is the end-of-play-to-grab latency.
      grabLatencyMs.push_back(inner.handOver().lastMs());
      QElapsedTimer build;
      build.start();
      done();
      buildMs.push_back(static_cast<double>(build.nsecsElapsed()) / 1e6);
    });
  }
  void write(const std::int16_t* samples, int count) override { inner.write(samples, count); }
  void reset() override { inner.reset(); }
  void close() override { inner.close(); }

  SoundServerOutput inner;
  std::vector<double> grabLatencyMs, buildMs;
};

void printSpread(const char* what, std::vector<double> v) {
  if (v.empty()) return (void)std::printf("%s: none\n", what);
  std::sort(v.begin(), v.end());
  std::printf("%s: %zu, median %.1f ms, worst %.1f ms\n", what, v.size(), v[v.size() / 2],
              v.back());
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  std::string video = argc > 2 ? argv[2] : "";
  if (video.empty()) {
    video = QDir::temp().filePath(QStringLiteral("transmission_probe_1080p.mp4")).toStdString();
    std::string error;
    QElapsedTimer made;
    made.start();
    if (!bench::writeLavfiVideo(video, "testsrc2=size=1920x1080:rate=25", 400, 250, error)) {
      std::fprintf(stderr, "cannot make the video: %s\n", error.c_str());
      return 1;
    }
    std::printf("made %s in %.1f s\n", video.c_str(), made.elapsed() / 1000.0);
  }

  // A recording of what reaches the sink.
  test::SoundRecorder recorder;
  std::vector<std::int16_t> heard;

  TimedOutput output;
  TransmitterServices services = programServices(output);
  services.chooseFile = [&](QWidget*) { return std::optional(QString::fromStdString(video)); };
  TransmitterWindow window(services);
  window.initialiseWindow();
  window.show();
  QElapsedTimer opening;
  opening.start();
  window.menuAction(kOpenId)->trigger();
  const double openCallMs = static_cast<double>(opening.nsecsElapsed()) / 1e6;

  // The window thread's stalls: how late a 10 ms timer fires.
  double worstStallMs = 0;
  QElapsedTimer tick;
  tick.start();
  QTimer stallWatch;
  stallWatch.setTimerType(Qt::PreciseTimer);
  QObject::connect(&stallWatch, &QTimer::timeout, [&] {
    worstStallMs = std::max(worstStallMs, static_cast<double>(tick.nsecsElapsed()) / 1e6 - 10);
    tick.restart();
  });
  stallWatch.start(10);

  // Stepping once the file is open, and a jump of the position bar every 7 s.
  bool stepping = false;
  double openedAfterS = -1;
  std::mt19937 random(1);
  QTimer driver;
  int ticks = 0;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    ++ticks;
    if (!stepping && window.videoState().length > 0) {
      openedAfterS = opening.elapsed() / 1000.0;
      qobject_cast<QPushButton*>(window.control(kPlayPauseId))->click();
      stepping = true;
    }
    if (stepping && ticks % 70 == 0)
      window.onPositionScroll(ScrollCode::ThumbTrack, static_cast<int>(random() % 400));
  });
  driver.start(100);
  QTimer::singleShot(seconds * 1000, [&] { window.done(0); });
  app.exec();
  recorder.takeInto(heard);

  std::printf("open call %.1f ms on the window thread; file opened and counted after %.1f s\n",
              openCallMs, openedAfterS);
  printSpread("end of play to grab", output.grabLatencyMs);
  printSpread("frame build (grab, overlays, synthesis)", output.buildMs);
  std::printf("worst stall of the window thread: %.1f ms\n", worstStallMs);
  // Gaps: runs of silence after the first sound, up to the last sound.
  const auto first =
      std::find_if(heard.begin(), heard.end(), [](std::int16_t s) { return s != 0; });
  const auto last =
      std::find_if(heard.rbegin(), heard.rend(), [](std::int16_t s) { return s != 0; }).base();
  std::size_t worstRun = 0, run = 0, gaps = 0;
  for (auto it = first; it < last; ++it) {
    if (*it == 0) {
      ++run;
      continue;
    }
    if (run >= 48) ++gaps;  // 1 ms or more
    worstRun = std::max(worstRun, run);
    run = 0;
  }
  std::printf("on the air: %.1f s of sound, worst silent run %.2f ms, %zu gaps of 1 ms or more\n",
              static_cast<double>(last - first) / 48000.0, worstRun / 48.0, gaps);
  return 0;
}
