// Network sound on the loopback: datagrams of any length each taken on their own, samples read
// little-endian and signed. (Pauses, a port that is taken and datagrams out of order: see the
// monitor's tests.)

#include "station/udp_audio_source.h"

#include "tests/support/udp_sender.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mosaic::station {
namespace {

struct Heard : UdpAudioSource::Listener {
  void samples(const float* s, std::size_t n) override {
    std::lock_guard<std::mutex> hold(lock);
    values.insert(values.end(), s, s + n);
  }
  void stopped() override { ++events; }
  void resumed() override { ++events; }
  std::size_t count() {
    std::lock_guard<std::mutex> hold(lock);
    return values.size();
  }
  std::mutex lock;
  std::vector<float> values;
  std::atomic<int> events{0};
};

TEST(UdpAudioSource, TakesEachDatagramOnItsOwnWhateverItsLength) {
  UdpAudioSource source;
  std::string error;
  ASSERT_TRUE(source.open({"127.0.0.1", 0}, error)) << error;
  Heard heard;
  source.start(heard, std::chrono::milliseconds(5000));
  const test::UdpSender sender(source.port());
  std::vector<std::int16_t> expected;
  const auto send = [&](std::vector<std::int16_t> samples, bool oddByte = false) {
    auto bytes = test::littleEndian(samples);
    // A last odd byte is left out, and nothing after it moves.
    if (oddByte) bytes.push_back(0x7F);
    ASSERT_TRUE(sender.send(bytes.data(), bytes.size()));
    expected.insert(expected.end(), samples.begin(), samples.end());
  };
  send({0, 1, -1, 256, -256, 32767, -32768, 12345});
  send({111, -222}, true);
  send({});
  std::vector<std::int16_t> huge(32000);
  for (std::size_t i = 0; i < huge.size(); ++i) huge[i] = static_cast<std::int16_t>(i * 7 - 30000);
  send(huge);
  send({-3, 3});

  for (int i = 0; i < 250 && heard.count() < expected.size(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  source.stop();
  ASSERT_EQ(heard.values.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    ASSERT_EQ(heard.values[i], float(expected[i])) << i;
  EXPECT_EQ(source.counts().datagrams, 5);
  EXPECT_EQ(source.counts().oddBytes, 1);
  EXPECT_EQ(heard.events, 0);
}

}  // namespace
}  // namespace mosaic::station
