// Network sound on the loopback: datagrams of any length each taken on their own, samples read
// little-endian and signed, pauses noticed, and a port that is taken said so.

#include "station/udp_audio_source.h"

#include "tests/support/loopback_address.h"

#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mosaic::station {
namespace {

using std::chrono::milliseconds;

struct Heard : UdpAudioSource::Listener {
  void samples(const float* s, std::size_t n) override {
    std::lock_guard<std::mutex> hold(lock);
    values.insert(values.end(), s, s + n);
  }
  void stopped() override { note("stopped"); }
  void resumed() override { note("resumed"); }
  void note(const char* event) {
    std::lock_guard<std::mutex> hold(lock);
    events.push_back(event + std::string(" after ") + std::to_string(values.size()));
  }
  std::size_t count() {
    std::lock_guard<std::mutex> hold(lock);
    return values.size();
  }
  std::mutex lock;
  std::vector<float> values;
  std::vector<std::string> events;
};

class Sender {
 public:
  explicit Sender(int port)
      : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)), to_(test::loopback(port)) {}
  ~Sender() { ::close(fd_); }
  void send(const std::vector<std::uint8_t>& bytes) const {
    ASSERT_EQ(::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to_),
                       sizeof to_),
              static_cast<ssize_t>(bytes.size()));
  }

 private:
  int fd_;
  sockaddr_in to_;
};

std::vector<std::uint8_t> littleEndian(const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> bytes;
  for (std::int16_t s : samples) {
    bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((static_cast<std::uint16_t>(s) >> 8) & 0xFF));
  }
  return bytes;
}

template <typename Done>
void waitUntil(Done done) {
  for (int i = 0; i < 250 && !done(); ++i) std::this_thread::sleep_for(milliseconds(20));
}

TEST(UdpAudioSource, TakesEachDatagramOnItsOwnWhateverItsLength) {
  UdpAudioSource source;
  std::string error;
  ASSERT_TRUE(source.open({"127.0.0.1", 0}, error)) << error;
  Heard heard;
  source.start(heard, milliseconds(5000));
  Sender sender(source.port());

  std::vector<std::int16_t> expected;
  const std::vector<std::int16_t> first = {0, 1, -1, 256, -256, 32767, -32768, 12345};
  sender.send(littleEndian(first));
  expected.insert(expected.end(), first.begin(), first.end());
  // Two samples and an odd byte: the byte is left out, and nothing after it moves.
  auto odd = littleEndian({111, -222});
  odd.push_back(0x7F);
  sender.send(odd);
  expected.insert(expected.end(), {111, -222});
  sender.send({});
  std::vector<std::int16_t> huge(32000);
  for (std::size_t i = 0; i < huge.size(); ++i) huge[i] = static_cast<std::int16_t>(i * 7 - 30000);
  sender.send(littleEndian(huge));
  expected.insert(expected.end(), huge.begin(), huge.end());
  sender.send(littleEndian({-3, 3}));
  expected.insert(expected.end(), {-3, 3});

  waitUntil([&] { return heard.count() >= expected.size(); });
  source.stop();
  ASSERT_EQ(heard.values.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    ASSERT_EQ(heard.values[i], float(expected[i])) << i;
  const auto counts = source.counts();
  EXPECT_EQ(counts.datagrams, 5);
  EXPECT_EQ(counts.oddBytes, 1);
  EXPECT_TRUE(heard.events.empty());
}

TEST(UdpAudioSource, APauseStopsTheStreamAndTheNextDatagramResumesIt) {
  UdpAudioSource source;
  std::string error;
  ASSERT_TRUE(source.open({"127.0.0.1", 0}, error)) << error;
  Heard heard;
  source.start(heard, milliseconds(300));
  Sender sender(source.port());
  sender.send(littleEndian({1, 2, 3}));
  waitUntil([&] { return !heard.events.empty(); });
  sender.send(littleEndian({4}));
  waitUntil([&] { return heard.events.size() >= 2; });
  source.stop();
  EXPECT_EQ(heard.events, (std::vector<std::string>{"stopped after 3", "resumed after 3"}));
  EXPECT_EQ(heard.values.size(), 4u);
}

TEST(UdpAudioSource, APortThatIsTakenOrAnAddressThatIsNotOursIsRefused) {
  UdpAudioSource first;
  std::string error;
  ASSERT_TRUE(first.open({"127.0.0.1", 0}, error)) << error;
  UdpAudioSource second;
  EXPECT_FALSE(second.open({"127.0.0.1", first.port()}, error));
  EXPECT_NE(error.find("another program receives on that port"), std::string::npos) << error;
  UdpAudioSource elsewhere;
  EXPECT_FALSE(elsewhere.open({"192.0.2.1", 7355}, error)) << "a documentation address";
  EXPECT_FALSE(elsewhere.open({"no.such.host.invalid", 7355}, error));
  EXPECT_NE(error.find("cannot listen on no.such.host.invalid"), std::string::npos) << error;
}

}  // namespace
}  // namespace mosaic::station
