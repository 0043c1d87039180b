// The transmitter's sound output and the receiver's sound input on a real sound server (the test
// suite starts a private PulseAudio server; without it these tests are skipped), in a program
// without windows: buffers played back to back and filled in order, every report on the owner's
// thread, nothing reported after a reset, a stream that stands still reported lost once, and the
// input kept on the operator's device as the receiver keeps it.

#include "platform/sound_keeper.h"
#include "platform/sound_server_input.h"
#include "platform/sound_server_output.h"
#include "platform/sound_server_probe.h"
#include "tests/support/event_loop.h"
#include "tests/support/sound_server.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace mosaic::test {
namespace {

bool onOwnerThread() { return QThread::currentThread() == coreApp().thread(); }

TEST(SoundServerOutput, PlaysQueuedBuffersWithoutGapsAndReturnsThemOnTheOwnersThread) {
  coreApp();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  constexpr int kRate = 48000, kBuffer = 4800;  // 0.1 s buffers to keep the test short
  std::array<std::vector<std::int16_t>, 2> buffers;
  for (auto& b : buffers) {
    b.resize(kBuffer);
    for (int i = 0; i < kBuffer; ++i) b[i] = static_cast<std::int16_t>(8000 * std::sin(i * 0.1));
  }
  SoundServerOutput out;
  int done = 0, next = 0;
  bool ownerThread = true;
  ASSERT_TRUE(out.open(kRate, [&] {
    ownerThread = ownerThread && onOwnerThread();
    ++done;
    out.write(buffers[next].data(), kBuffer);  // refill, as the transmitter does
    next ^= 1;
  }));
  QElapsedTimer clock;
  clock.start();
  out.write(buffers[0].data(), kBuffer);
  out.write(buffers[1].data(), kBuffer);
  runFor(2000);
  const double seconds = clock.elapsed() / 1000.0;
  out.reset();
  out.close();
  EXPECT_TRUE(ownerThread);
  // Gapless playback returns one buffer every 0.1 s; allow for the device's start-up latency.
  EXPECT_GE(done, static_cast<int>(seconds / 0.1) - 6);
  EXPECT_LE(done, static_cast<int>(seconds / 0.1) + 4);
}

TEST(SoundServerOutput, ResetStopsReturnsAndCloseCanBeRepeated) {
  coreApp();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  std::vector<std::int16_t> buffer(4800, 0);
  SoundServerOutput out;
  int done = 0;
  ASSERT_TRUE(out.open(48000, [&] { ++done; }));
  out.write(buffer.data(), 4800);
  out.reset();
  out.write(buffer.data(), 4800);  // nothing plays after a reset
  runFor(400);
  EXPECT_EQ(done, 0);
  out.close();
  out.close();
}

TEST(SoundServerInput, FillsQueuedBuffersInOrderAndReportsThemOnTheOwnersThread) {
  coreApp();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  SoundServerInput input;
  std::vector<int> filled;
  bool ownerThread = true;
  ASSERT_TRUE(input.open(9600, [&](int id) {
    filled.push_back(id);
    ownerThread = ownerThread && onOwnerThread();
  }));
  std::vector<std::int16_t> first(960, 12345), second(960, 12345);
  input.queue(1, first.data(), 960);
  input.queue(2, second.data(), 960);
  input.start();
  runUntil([&] { return filled.size() >= 2; }, 5000);
  ASSERT_EQ(filled, (std::vector<int>{1, 2}));
  EXPECT_TRUE(ownerThread);
  // The server's source records silence here: the buffers now hold what the device gave.
  EXPECT_NE(first[959], 12345);

  // Queued again, then reset: no report arrives.
  std::vector<std::int16_t> third(96000, 777);
  input.queue(1, third.data(), 96000);
  input.reset();
  runFor(300);
  EXPECT_EQ(filled.size(), 2u);
  input.close();
}

// The server stops a device's clock, as when a sound card hangs: its streams stay connected, and
// nothing moves.
bool stopClock(bool sink, const QString& device) {
  return QProcess::execute(QStringLiteral("pactl"),
                           {sink ? "suspend-sink" : "suspend-source", device, "1"}) == 0;
}

TEST(SoundServerStreams, AStreamThatStandsStillIsReportedLostOnce) {
  coreApp();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  PluggableDevice sink(true, "stalledsink", "Stalled"), source(false, "stalledsource", "Stalled");
  ASSERT_TRUE(sink.plugIn() && source.plugIn());

  std::vector<std::string> outputLost, inputLost;
  SoundServerOutput out;
  out.useDevice(sink.name().toStdString());
  out.setLostHandler([&](const std::string& why) { outputLost.push_back(why); });
  std::vector<std::int16_t> buffer(48000 * 4, 100);  // more than the server holds
  ASSERT_TRUE(out.open(48000, [] {}));
  out.write(buffer.data(), static_cast<int>(buffer.size()));

  SoundServerInput input;
  input.useDevice(source.name().toStdString());
  input.setLostHandler([&](const std::string& why) { inputLost.push_back(why); });
  std::vector<std::int16_t> capture(9600);
  ASSERT_TRUE(input.open(9600, [](int) {}));
  input.queue(1, capture.data(), 9600);
  input.start();

  runFor(500);
  EXPECT_TRUE(outputLost.empty() && inputLost.empty()) << "both run";
  ASSERT_TRUE(stopClock(true, sink.name()) && stopClock(false, source.name()));
  EXPECT_TRUE(runUntil([&] { return !outputLost.empty() && !inputLost.empty(); }, 6000));
  runFor(1500);
  EXPECT_EQ(outputLost, std::vector<std::string>{"playback has stood still for 3 s"});
  EXPECT_EQ(inputLost, std::vector<std::string>{"no sound has arrived for 3 s"});
}

// The receiver's input as a program without windows keeps it: the operator's device while it is
// there, the default while it is not, and back to it; buffers arrive all along.
TEST(SoundServerInputKept, FollowsTheChosenDeviceInAProgramWithoutWindows) {
  coreApp();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  PluggableDevice radio(false, QStringLiteral("keptradio"), QStringLiteral("KeptRadio"));
  ASSERT_TRUE(radio.plugIn());
  constexpr int kBuffer = 4800;  // 0.5 s at 9600 Hz
  std::array<std::vector<std::int16_t>, 2> buffers{std::vector<std::int16_t>(kBuffer),
                                                   std::vector<std::int16_t>(kBuffer)};
  int filled = 0;
  std::string status;
  SoundServerInput input;
  SoundKeeper keeper(SoundDirection::Recording,
                     {[&] {
                        if (!input.open(9600, [&](int id) {
                              ++filled;
                              input.queue(id, buffers[id].data(), kBuffer);
                            }))
                          return false;
                        for (int id : {0, 1}) input.queue(id, buffers[id].data(), kBuffer);
                        input.start();
                        return true;
                      },
                      [&] { input.close(); }, [&](const std::string& shown) { status = shown; },
                      [&] { return input.openError(); }});
  input.setLostHandler([&](const std::string& why) { keeper.lost(why); });
  keeper.setDevices({soundServerDevices, [&](const std::string& id) { input.useDevice(id); }});
  keeper.choose(SoundDeviceName{radio.name().toStdString(), "KeptRadio"});
  keeper.start();
  const auto buffersArrive = [&] {
    const int before = filled;
    return runUntil([&] { return filled >= before + 2; }, 3000);
  };

  EXPECT_TRUE(waitUntilOurStreamIsOn(false, radio.name(), 5000));
  EXPECT_EQ(status, "");
  EXPECT_TRUE(buffersArrive());

  radio.unplug();
  EXPECT_TRUE(waitUntilOurStreamIsOn(false, QStringLiteral("loopin"), 10000));
  EXPECT_TRUE(runUntil([&] { return status.find("is not there") != std::string::npos; }, 5000))
      << status;
  EXPECT_TRUE(buffersArrive());

  ASSERT_TRUE(radio.plugIn());
  EXPECT_TRUE(waitUntilOurStreamIsOn(false, radio.name(), 10000));
  EXPECT_TRUE(runUntil([&] { return status.empty(); }, 1000)) << status;
  EXPECT_TRUE(buffersArrive());
  keeper.stop();
}

}  // namespace
}  // namespace mosaic::test
