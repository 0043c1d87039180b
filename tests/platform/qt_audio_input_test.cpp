// The receiver's sound input on a real sound server (the test suite starts a private PulseAudio
// server; without it the device tests are skipped).

#include "platform/qt_audio_input.h"
#include "tests/support/qt_app.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace mosaic {
namespace {

bool soundServerRunning() { return std::getenv("MOSAIC_SOUND_SERVER") != nullptr; }

void runEventLoopUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs) {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

TEST(QtAudioInput, FillsQueuedBuffersInOrderAndReportsThemOnTheUiThread) {
  test::app();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  QtAudioInput input;
  std::vector<int> filled;
  bool onUiThread = true;
  ASSERT_TRUE(input.open(9600, [&](int id) {
    filled.push_back(id);
    onUiThread = onUiThread && QThread::currentThread() == test::app().thread();
  }));
  std::vector<std::int16_t> first(960, 12345), second(960, 12345);
  input.queue(1, first.data(), 960);
  input.queue(2, second.data(), 960);
  input.start();
  runEventLoopUntil([&] { return filled.size() >= 2; }, 5000);
  ASSERT_EQ(filled, (std::vector<int>{1, 2}));
  EXPECT_TRUE(onUiThread);
  // The server's source records silence here: the buffers now hold what the device gave.
  EXPECT_NE(first[959], 12345);

  // Queued again, then reset: no report arrives and the buffer is left alone.
  std::vector<std::int16_t> third(96000, 777);
  input.queue(1, third.data(), 96000);
  input.reset();
  runEventLoopUntil([] { return false; }, 300);
  EXPECT_EQ(filled.size(), 2u);
  input.close();
}

}  // namespace
}  // namespace mosaic
