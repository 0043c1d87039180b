#include "transmitter/core/transmit_output.h"

#include "tests/support/fake_audio_output.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace mosaic {
namespace {

// A picture source that makes every frame different and counts the grabs.
struct CountingSource {
  int grabs = 0;
  void operator()(GrabBitmap& b) {
    ++grabs;
    std::fill(b.bits.begin(), b.bits.end(), static_cast<std::uint8_t>(grabs * 40));
  }
};

bool silent(const std::vector<std::int16_t>& b) {
  return std::all_of(b.begin(), b.end(), [](std::int16_t s) { return s == 0; });
}

TEST(TransmitOutput, StartsWithTwoSilentBuffersAt48000Hz) {
  fakes::FakeAudioOutput device;
  CountingSource source;
  TransmitOutput out(device, std::ref(source));
  out.startOutput();
  EXPECT_EQ(device.sampleRateHz, 48000);
  ASSERT_EQ(device.played.size(), 2u);
  EXPECT_EQ(device.played[0].size(), 61440u);
  EXPECT_TRUE(silent(device.played[0]) && silent(device.played[1]));
  EXPECT_EQ(device.queue[0], out.bufferA());
  EXPECT_EQ(device.queue[1], out.bufferB());
  EXPECT_EQ(out.nextBuffer(), 0);
  EXPECT_EQ(source.grabs, 0);
}

TEST(TransmitOutput, RefillsStrictlyABAB) {
  fakes::FakeAudioOutput device;
  CountingSource source;
  TransmitOutput out(device, std::ref(source));
  out.startOutput();
  const std::int16_t* expected[] = {out.bufferA(), out.bufferB(), out.bufferA(), out.bufferB(),
                                    out.bufferA()};
  for (const auto* want : expected) {
    device.finishOldest();
    ASSERT_EQ(device.queue.size(), 2u);
    EXPECT_EQ(device.queue.back(), want);
  }
  EXPECT_EQ(source.grabs, 5);
  EXPECT_FALSE(silent(device.played[2]));
}

// A device opened again after a loss starts as at start-up: 2.56 s of silence, then whole frames
// beginning with buffer A, never a frame left over from before the loss.
TEST(TransmitOutput, StartAfterStopBeginsWithSilenceAgain) {
  fakes::FakeAudioOutput device;
  CountingSource source;
  TransmitOutput out(device, std::ref(source));
  out.startOutput();
  for (int i = 0; i < 3; ++i) device.finishOldest();  // A, B, A hold frames now
  out.stopOutput();
  EXPECT_FALSE(out.isOpen());
  device.played.clear();
  out.startOutput();
  EXPECT_TRUE(out.isOpen());
  ASSERT_EQ(device.played.size(), 2u);
  EXPECT_TRUE(silent(device.played[0]) && silent(device.played[1]));
  EXPECT_EQ(out.nextBuffer(), 0);
  device.finishOldest();
  EXPECT_EQ(device.queue.back(), out.bufferA());
  EXPECT_FALSE(silent(device.played[2]));
  EXPECT_EQ(device.played[2].size(), 61440u);
}

// The level shown is that of the frame on the air: a frame just built waits behind the one
// playing, so its level shows only once the buffer before it has come back.
TEST(TransmitOutput, ThePlayingLevelIsThatOfTheFrameOnTheAir) {
  fakes::FakeAudioOutput device;
  CountingSource source;
  TransmitOutput out(device, std::ref(source));
  EXPECT_FALSE(out.playingLevel().measured());
  out.startOutput();
  EXPECT_TRUE(out.playingLevel().measured());
  EXPECT_EQ(out.playingLevel().peakDbfs, kSilentDbfs);
  device.finishOldest();  // A comes back with the first frame; B's silence plays
  EXPECT_EQ(out.playingLevel().peakDbfs, kSilentDbfs);
  device.finishOldest();  // the first frame plays
  const SoundLevel first = measureLevel(device.played[2].data(), kFrameSamples);
  EXPECT_GT(first.peakDbfs, -20.0f);
  EXPECT_EQ(out.playingLevel().peakDbfs, first.peakDbfs);
  EXPECT_EQ(out.playingLevel().rmsDbfs, first.rmsDbfs);
  device.finishOldest();
  EXPECT_EQ(out.playingLevel().rmsDbfs,
            measureLevel(device.played[3].data(), kFrameSamples).rmsDbfs);
  out.stopOutput();
  EXPECT_FALSE(out.playingLevel().measured());
}

TEST(TransmitOutput, TheToggleAloneDecidesWhichBufferIsRefilled) {
  // Notifications carry no buffer identity here, just as the device's own names are ignored:
  // two returns in a row still refill A then B.
  fakes::FakeAudioOutput device;
  TransmitOutput out(device, CountingSource{});
  out.startOutput();
  out.onOutputDone();
  out.onOutputDone();
  ASSERT_EQ(device.played.size(), 4u);
  EXPECT_EQ(device.queue[2], out.bufferA());
  EXPECT_EQ(device.queue[3], out.bufferB());
  EXPECT_EQ(out.nextBuffer(), 0);
}

TEST(TransmitOutput, WithoutADeviceItStaysSilentAndBuildsNothing) {
  fakes::FakeAudioOutput device;
  device.available = false;
  CountingSource source;
  TransmitOutput out(device, std::ref(source));
  out.startOutput();
  out.onOutputDone();
  out.stopOutput();
  EXPECT_TRUE(device.played.empty());
  EXPECT_EQ(source.grabs, 0);
  EXPECT_EQ(device.resetCount, 0);
}

TEST(TransmitOutput, StopResetsThenCloses) {
  fakes::FakeAudioOutput device;
  TransmitOutput out(device, CountingSource{});
  out.startOutput();
  out.stopOutput();
  EXPECT_TRUE(device.queue.empty());
  out.stopOutput();  // a second stop does nothing
  EXPECT_EQ(device.calls, (std::vector<std::string>{"open", "write", "write", "reset", "close"}));
}

}  // namespace
}  // namespace mosaic
