// A look at the real program: the receiver window on the default sound input, with screenshots
// of the small and large views and the time that each buffer's handling takes. Run it under an
// X server while a Mosaic TV signal plays into the recording device:
//   mosaicview_probe OUT_DIR [SECONDS]
// Not a test: it prints figures and writes pictures for a person to look at.

#include "platform/sound_server_input.h"
#include "receiver/app/control_ids.h"
#include "receiver/app/picture_view.h"
#include "receiver/app/receiver_window.h"
#include "receiver/core/movie/disk_movie_files.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace mosaic;

// The sound input, timing each buffer's whole handling by the window.
class TimedInput : public AudioInput {
 public:
  bool open(int rateHz, BufferFilled onFilled) override {
    return inner_.open(rateHz, [this, onFilled](int id) {
      QElapsedTimer timer;
      timer.start();
      onFilled(id);
      handlingMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
      if (afterBuffer) afterBuffer();
    });
  }
  void queue(int id, std::int16_t* samples, int count) override {
    inner_.queue(id, samples, count);
  }
  void start() override { inner_.start(); }
  void reset() override { inner_.reset(); }
  void close() override { inner_.close(); }

  const SoundServerInput& device() const { return inner_; }

  std::vector<double> handlingMs;
  std::function<void()> afterBuffer;

 private:
  SoundServerInput inner_;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: mosaicview_probe OUT_DIR [SECONDS]\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
  QDir().mkpath(out.path());

  TimedInput input;
  DiskMovieFiles files;
  const QString movie = out.filePath(QStringLiteral("probe.49"));
  ReceiverWindow window(
      input, files,
      ReceiverServices{[movie](QWidget*, const QString&) { return std::optional(movie); },
                       [] {},
                       {},
                       {},
                       {},
                       {}});
  window.show();
  window.menuAction(rx::kOpenFileId)->trigger();
  qobject_cast<QPushButton*>(window.control(rx::kSaveId))->click();

  auto save = [&](const char* name, const QPixmap& pixmap) {
    pixmap.save(out.filePath(QString::fromLatin1(name)));
    std::printf("wrote %s after %zu buffers\n", name, input.handlingMs.size());
  };
  // Pictures at chosen buffers: the small view, the large view, and the small view blacked.
  input.afterBuffer = [&] {
    const std::size_t n = input.handlingMs.size();
    if (n == 4) {
      save("small.png", window.grab());
      window.menuAction(rx::kLargeId)->trigger();
    } else if (n == 6) {
      save("large.png", window.grab());
      window.menuAction(rx::kSmallId)->trigger();
      save("small-blacked.png", window.grab());
    } else if (n == 7) {
      save("small-again.png", window.grab());
      // The colour balance at 0, as an operator sets it for a picture with natural colours.
      qobject_cast<QSlider*>(window.control(rx::kBalanceId))->setSliderPosition(200);
    } else if (n == 9) {
      save("small-balance0.png", window.grab());
      window.menuAction(rx::kLargeId)->trigger();
    } else if (n == 11) {
      save("large-balance0.png", window.grab());
      window.resize(480, window.height());  // the controls beyond the layout's width
      save("widened.png", window.grab());
      window.menuAction(rx::kHelpId)->trigger();
      QTimer::singleShot(500, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (w->isVisible() && w->windowTitle() == QLatin1String("HELP notes"))
            save("help.png", w->grab());
      });
    }
  };
  QTimer::singleShot(seconds * 1000, [&] { window.close(); });
  app.exec();

  auto ms = input.handlingMs;
  std::printf("per buffer [ms]:");
  for (double m : ms) std::printf(" %.2f", m);
  std::printf("\n");
  if (ms.empty()) {
    std::printf("no buffer arrived\n");
    return 1;
  }
  std::sort(ms.begin(), ms.end());
  std::printf("buffers %zu, handling per buffer: min %.2f ms, median %.2f ms, max %.2f ms\n",
              ms.size(), ms.front(), ms[ms.size() / 2], ms.back());
  std::printf("recorder: %s\n", window.recorder().controls().counterText.c_str());
  // From a buffer filled on the sound thread to its handling on the window's thread.
  std::printf("buffer hand-over: worst %.1f ms over %d buffers; samples lost: %lld\n",
              input.device().handOver().worstMs(), input.device().handOver().count(),
              static_cast<long long>(input.device().lostSamples()));
  return 0;
}
