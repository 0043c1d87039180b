// The transmitter's sound output on a real sound server (the test suite starts a private
// PulseAudio server; without it the device tests are skipped).

#include "platform/qt_audio_output.h"
#include "platform/buffer_queue_device.h"
#include "tests/support/qt_app.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace mosaic {
namespace {

bool soundServerRunning() { return std::getenv("MOSAIC_SOUND_SERVER") != nullptr; }

void runEventLoopFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

TEST(BufferQueueDevice, ServesBuffersBackToBackAndReturnsThemOnlyOncePlayed) {
  test::app();
  BufferQueueDevice stream;
  stream.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  const std::array<std::int16_t, 3> a{1, 2, 3};
  const std::array<std::int16_t, 2> b{4, 5};
  stream.enqueue(a.data(), 3);
  stream.enqueue(b.data(), 2);
  EXPECT_EQ(stream.bytesAvailable(), 10);
  std::array<std::int16_t, 4> out{};
  ASSERT_EQ(stream.read(reinterpret_cast<char*>(out.data()), 8), 8);
  EXPECT_EQ(out, (std::array<std::int16_t, 4>{1, 2, 3, 4}));
  // Read is not played: a buffer comes back once the play position has passed its end.
  EXPECT_EQ(stream.takePlayed(2), 0);
  EXPECT_EQ(stream.takePlayed(3), 1);
  EXPECT_EQ(stream.takePlayed(100), 0);  // b is not read in full yet
  // An empty queue gives nothing rather than silence of its own.
  out = {};
  ASSERT_EQ(stream.read(reinterpret_cast<char*>(out.data()), 8), 2);
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(stream.read(reinterpret_cast<char*>(out.data()), 8), 0);
  EXPECT_EQ(stream.served(), 5);
  EXPECT_EQ(stream.takePlayed(5), 1);
  EXPECT_EQ(stream.queued(), 0);
  // A buffer queued later follows the last one without a gap in the stream's count.
  stream.enqueue(a.data(), 3);
  ASSERT_EQ(stream.read(reinterpret_cast<char*>(out.data()), 8), 6);
  EXPECT_EQ(stream.takePlayed(7), 0);
  EXPECT_EQ(stream.takePlayed(8), 1);
  // Cleared, nothing is served or returned.
  stream.enqueue(b.data(), 2);
  stream.clear();
  EXPECT_EQ(stream.read(reinterpret_cast<char*>(out.data()), 8), 0);
  EXPECT_EQ(stream.takePlayed(1000), 0);
}

TEST(QtAudioOutput, PlaysQueuedBuffersWithoutGapsAndReturnsThemOnTheUiThread) {
  test::app();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  constexpr int kRate = 48000, kBuffer = 4800;  // 0.1 s buffers to keep the test short
  std::array<std::vector<std::int16_t>, 2> buffers;
  for (auto& b : buffers) {
    b.resize(kBuffer);
    for (int i = 0; i < kBuffer; ++i) b[i] = static_cast<std::int16_t>(8000 * std::sin(i * 0.1));
  }
  QtAudioOutput out;
  int done = 0, next = 0;
  bool onUiThread = true;
  QElapsedTimer clock;
  const bool opened = out.open(kRate, [&] {
    onUiThread = onUiThread && QThread::currentThread() == test::app().thread();
    ++done;
    out.write(buffers[next].data(), kBuffer);  // refill, as the transmitter does
    next ^= 1;
  });
  ASSERT_TRUE(opened);
  clock.start();
  out.write(buffers[0].data(), kBuffer);
  out.write(buffers[1].data(), kBuffer);
  runEventLoopFor(2000);
  const double seconds = clock.elapsed() / 1000.0;
  out.reset();
  out.close();
  EXPECT_TRUE(onUiThread);
  // Gapless playback returns one buffer every 0.1 s; allow for the device's start-up latency.
  EXPECT_GE(done, static_cast<int>(seconds / 0.1) - 6);
  EXPECT_LE(done, static_cast<int>(seconds / 0.1) + 4);
}

TEST(QtAudioOutput, ResetStopsNotificationsAndCloseCanBeRepeated) {
  test::app();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  std::vector<std::int16_t> buffer(4800, 0);
  QtAudioOutput out;
  int done = 0;
  ASSERT_TRUE(out.open(48000, [&] { ++done; }));
  out.write(buffer.data(), 4800);
  out.reset();
  runEventLoopFor(400);
  EXPECT_EQ(done, 0);
  out.close();
  out.close();
}

}  // namespace
}  // namespace mosaic
