// The receiver on a real sound server (the test suite starts a private PulseAudio server;
// without it the test is skipped): a window thread that stands still for one second, and later
// for three, while a Mosaic TV signal plays loses no captured sample and shifts none, so the
// picture and the movie file are exactly what `mosaic decode` makes of the same sound.

#include "platform/sound_server_input.h"
#include "receiver/app/control_ids.h"
#include "receiver/app/picture_view.h"
#include "receiver/app/receiver_window.h"
#include "receiver/core/movie/disk_movie_files.h"
#include "tests/receiver_app/transmitted_audio.h"
#include "tests/support/private_sound_loop.h"
#include "tests/support/qt_app.h"
#include "tests/support/wav_files.h"
#include "tests/support/window_commands.h"
#include "tests/tools/tool_runner.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace mosaic {
namespace {

using test::PrivateLoop;
using test::writeRaw;

// The real sound input, keeping a copy of every buffer the window is handed.
class TappedInput : public AudioInput {
 public:
  explicit TappedInput(const QString& device) { inner.useDevice(device.toStdString()); }
  bool open(int rateHz, BufferFilled onFilled) override {
    return inner.open(rateHz, [this, onFilled](int id) {
      const std::int16_t* samples = buffers_[id];
      received.insert(received.end(), samples, samples + kCaptureSamples);
      onFilled(id);
      if (afterBuffer) afterBuffer(static_cast<int>(received.size() / kCaptureSamples));
    });
  }
  void queue(int id, std::int16_t* samples, int count) override {
    buffers_[id] = samples;
    inner.queue(id, samples, count);
  }
  void start() override { inner.start(); }
  void reset() override { inner.reset(); }
  void close() override { inner.close(); }
  int handled() const { return static_cast<int>(received.size() / kCaptureSamples); }

  SoundServerInput inner;
  std::vector<std::int16_t> received;
  std::function<void(int buffers)> afterBuffer;

 private:
  std::map<int, std::int16_t*> buffers_;
};

std::vector<std::int16_t> readRaw(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = f.readAll();
  std::vector<std::int16_t> samples(static_cast<std::size_t>(bytes.size() / 2));
  std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
  return samples;
}

std::size_t firstSound(const std::vector<std::int16_t>& s) {
  return static_cast<std::size_t>(
      std::find_if(s.begin(), s.end(), [](std::int16_t v) { return v != 0; }) - s.begin());
}

TEST(LiveCapture, AWindowThreadStandingStillLosesAndShiftsNoSample) {
  test::app();
  if (!std::getenv("MOSAIC_SOUND_SERVER")) GTEST_SKIP() << "no sound server";
  PrivateLoop loop;
  ASSERT_TRUE(loop.loaded());
  QTemporaryDir dir;

  // The signal: ten frames of a picture with colour and detail.
  auto planes = std::make_unique<PicturePlanes>();
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      planes->Y[c][r] = static_cast<float>(4.0 + 3.5 * std::sin(0.3 * c) * std::cos(0.2 * r));
      planes->V[c][r] = static_cast<float>(1.5 * std::sin(0.1 * c));
      planes->U[c][r] = static_cast<float>(-1.0 * std::cos(0.09 * r));
    }
  const QString signal = dir.filePath(QStringLiteral("signal.raw"));
  ASSERT_TRUE(writeRaw(signal, test::receivedAudio(*planes, 10)));

  // An independent recording of the same source, from before the receiver starts.
  const QString recording = dir.filePath(QStringLiteral("recording.raw"));
  const QStringList format{"--rate=9600", "--channels=1", "--format=s16le", "--latency-msec=20"};
  QProcess recorder;
  recorder.setStandardOutputFile(recording);
  recorder.start(QStringLiteral("parec"), QStringList{"--device=" + loop.source} + format);
  ASSERT_TRUE(recorder.waitForStarted());
  QThread::msleep(300);

  TappedInput input(loop.source);
  DiskMovieFiles files;
  const QString movie = dir.filePath(QStringLiteral("window.49"));
  ReceiverWindow window(
      input, files,
      ReceiverServices{[movie](QWidget*, const QString&) { return std::optional(movie); },
                       [] {},
                       {},
                       {},
                       {},
                       {},
                       {},
                       {}});
  window.show();
  test::command(window, rx::kOpenFileId);
  test::command(window, rx::kSaveId);

  QProcess player;
  player.setStandardInputFile(signal);
  // The window thread stands still for 1.0 s twice, from just after a buffer's handling (the
  // next buffer completes meanwhile) and from the middle of a buffer; then for 3.0 s, longer than
  // both buffers together could hold without the sound thread's backlog.
  constexpr int kBuffers = 13;
  input.afterBuffer = [&](int buffers) {
    if (buffers == 1)
      player.start(QStringLiteral("pacat"), QStringList{"--device=" + loop.sink} + format);
    if (buffers == 3) QTimer::singleShot(0, [] { QThread::msleep(1000); });
    if (buffers == 5) QTimer::singleShot(600, [] { QThread::msleep(1000); });
    if (buffers == 7) QTimer::singleShot(300, [] { QThread::msleep(3000); });
  };
  ASSERT_TRUE(test::runUntil([&] { return input.handled() >= kBuffers; }, 30000));
  window.shutDown();
  player.waitForFinished(5000);
  recorder.terminate();
  recorder.waitForFinished(3000);

  EXPECT_EQ(input.inner.lostSamples(), 0);
  const std::vector<std::int16_t> got(input.received.begin(),
                                      input.received.begin() + kBuffers * kCaptureSamples);
  const std::vector<std::int16_t> all = readRaw(recording);
  // The window's samples are one unbroken stretch of the independent recording: the signal
  // begins at the same place in both.
  const std::size_t inWindow = firstSound(got), inRecording = firstSound(all);
  ASSERT_LT(inWindow, got.size()) << "no signal reached the window";
  ASSERT_GE(inRecording, inWindow);
  const std::size_t start = inRecording - inWindow;
  ASSERT_LE(start + got.size(), all.size());
  const std::vector<std::int16_t> same(all.begin() + static_cast<long>(start),
                                       all.begin() + static_cast<long>(start + got.size()));
  ASSERT_TRUE(same == got) << "samples lost or shifted";

  // The picture and the movie equal those that mosaic decode makes of that stretch.
  const QString wav = dir.filePath(QStringLiteral("same.wav"));
  const QString png = dir.filePath(QStringLiteral("decoded.png"));
  const QString decodedMovie = dir.filePath(QStringLiteral("decoded.49"));
  ASSERT_TRUE(test::writeWav(wav, same, kRxSampleRateHz));
  const auto run = test::runTool({"decode", wav, "-o", png, "--movie", decodedMovie});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  const QImage shown =
      window.pictureView()->grab().toImage().convertToFormat(QImage::Format_RGB888);
  EXPECT_EQ(shown, QImage(png).convertToFormat(QImage::Format_RGB888));
  QFile a(movie), b(decodedMovie);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  const QByteArray windowMovie = a.readAll();
  EXPECT_EQ(windowMovie.size(), kBuffers * 7056);
  EXPECT_TRUE(windowMovie == b.readAll());
}

}  // namespace
}  // namespace mosaic
