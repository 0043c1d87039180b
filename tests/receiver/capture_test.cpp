#include "receiver/core/capture/capture.h"
#include "receiver/core/receiver_engine.h"
#include "tests/support/fake_audio_input.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace mosaic {
namespace {

using fakes::FakeAudioInput;

std::vector<std::int16_t> filled(std::int16_t value, int count = kCaptureSamples) {
  return std::vector<std::int16_t>(static_cast<std::size_t>(count), value);
}

// A capture driving the receiver engine, as the receiver window wires them up.
struct Receiver {
  FakeAudioInput device;
  std::unique_ptr<ReceiverEngine> chain = std::make_unique<ReceiverEngine>();
  std::vector<std::string> events;
  Capture capture{device,
                  [this](const std::int16_t* samples, const std::function<void()>& handBack) {
                    chain->onBufferComplete(samples, [&] {
                      // At hand-back the history is updated but the picture not yet drawn.
                      events.push_back("hand back after run " + std::to_string(chain->runs()));
                      handBack();
                    });
                    events.push_back("run " + std::to_string(chain->runs()) + " done");
                  }};
};

TEST(Capture, OpensAtTheReceiverRateAndQueuesBothBuffersBeforeStarting) {
  Receiver r;
  ASSERT_TRUE(r.capture.start());
  EXPECT_EQ(r.device.openRateHz, 9600);
  EXPECT_EQ(r.device.calls, (std::vector<std::string>{"open", "queue 1", "queue 2", "start"}));
  ASSERT_EQ(r.device.queued.size(), 2u);
  EXPECT_EQ(r.device.queued[0].count, kCaptureSamples);
  EXPECT_EQ(r.capture.selector(), 1);
}

TEST(Capture, BuffersAlternateAndFillTheHistoryOlderFirst) {
  Receiver r;
  r.capture.start();
  ASSERT_TRUE(r.device.record(filled(11)));
  EXPECT_EQ(r.capture.selector(), -1);
  const auto& h = r.chain->history().samples;
  EXPECT_EQ(h[0], 0);
  EXPECT_EQ(h[kCaptureSamples - 1], 0);
  EXPECT_EQ(h[kCaptureSamples], 11);
  EXPECT_EQ(h[kHistorySamples - 1], 11);
  // Buffer 1 went back behind buffer 2.
  ASSERT_EQ(r.device.queued.size(), 2u);
  EXPECT_EQ(r.device.queued[0].id, 2);
  EXPECT_EQ(r.device.queued[1].id, 1);

  ASSERT_TRUE(r.device.record(filled(22)));
  EXPECT_EQ(r.capture.selector(), 1);
  EXPECT_EQ(h[0], 11);
  EXPECT_EQ(h[kHistorySamples - 1], 22);
  EXPECT_EQ(r.device.queued[0].id, 1);
  EXPECT_EQ(r.events, (std::vector<std::string>{"hand back after run 0", "run 1 done",
                                                "hand back after run 1", "run 2 done"}));
}

TEST(Capture, AShortRecordingIsStillTakenWhole) {
  Receiver r;
  r.capture.start();
  r.device.record(filled(5));       // buffer 1 all 5
  r.device.record(filled(6));       // buffer 2 all 6
  r.device.record(filled(7, 100));  // buffer 1 again, only 100 samples recorded
  const auto& h = r.chain->history().samples;
  EXPECT_EQ(h[kCaptureSamples], 7);
  EXPECT_EQ(h[kCaptureSamples + 99], 7);
  EXPECT_EQ(h[kCaptureSamples + 100], 5);  // the rest keeps the buffer's old contents
  EXPECT_EQ(h[0], 6);
}

TEST(Capture, AMissingDeviceLeavesEverythingSilent) {
  Receiver r;
  r.device.failOpen = true;
  EXPECT_FALSE(r.capture.start());
  EXPECT_TRUE(r.device.queued.empty());
  EXPECT_FALSE(r.device.record(filled(1)));
  r.capture.stop();  // nothing to release
  EXPECT_EQ(r.device.calls, (std::vector<std::string>{"open"}));
  EXPECT_EQ(r.chain->runs(), 0);
}

TEST(Capture, StopResetsBeforeClosingAndIgnoresLateNotifications) {
  Receiver r;
  r.capture.start();
  r.device.record(filled(3));
  r.capture.stop();
  EXPECT_EQ(r.device.calls.back(), "close");
  EXPECT_EQ(r.device.calls[r.device.calls.size() - 2], "reset");
  EXPECT_TRUE(r.device.queued.empty());
  r.device.notifyLate(2);
  EXPECT_EQ(r.chain->runs(), 1);
  EXPECT_TRUE(r.device.queued.empty());  // nothing queued on a closed device
}

}  // namespace
}  // namespace mosaic

namespace mosaic {
namespace {

// After a lost device is opened again, buffer 1 is filled first and it is buffer 1's samples
// that reach the chain, whichever buffer was due when the old recording stopped.
TEST(Capture, StartAfterStopBeginsAgainWithBufferOne) {
  FakeAudioInput device;
  std::vector<std::int16_t> seen;
  Capture capture(device, [&](const std::int16_t* samples, const std::function<void()>&) {
    seen.push_back(samples[0]);
  });
  ASSERT_TRUE(capture.start());
  ASSERT_TRUE(device.record(filled(1)));  // buffer 1 done: buffer 2 is next
  capture.stop();
  ASSERT_TRUE(capture.start());
  EXPECT_EQ(capture.selector(), 1);
  ASSERT_TRUE(device.record(filled(7)));
  ASSERT_TRUE(device.record(filled(8)));
  EXPECT_EQ(seen, (std::vector<std::int16_t>{1, 7, 8}));
}

}  // namespace
}  // namespace mosaic
