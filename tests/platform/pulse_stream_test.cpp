// One stream with a connection of its own, on the private PulseAudio server (without it the
// tests that need the server are skipped): what it plays is recorded again in order, an absent
// server or device is refused at once with a reason, and a stream the server ends is reported
// once and can be opened again when the device is back.

#include "platform/pulse_stream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mosaic {
namespace {

using Clock = std::chrono::steady_clock;

bool soundServerRunning() { return std::getenv("MOSAIC_SOUND_SERVER") != nullptr; }

template <typename Done>
bool waitFor(Done done, int timeoutMs) {
  const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done() && Clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done();
}

PulseStream::Setup setupFor(SoundDirection direction, std::string device) {
  PulseStream::Setup setup;
  setup.direction = direction;
  setup.device = std::move(device);
  setup.sampleRateHz = 48000;
  setup.bufferSeconds = 0.1;
  setup.streamName = "pulse stream test";
  setup.tickMs = 10;
  return setup;
}

// A null sink of the test's own, so that no other test's sound meets its streams; removed again
// at the end.
class PrivateSink {
 public:
  explicit PrivateSink(std::string name) : name_(std::move(name)) {
    module_ =
        output("pactl load-module module-null-sink sink_name=" + name_ + " rate=48000 channels=1");
  }
  ~PrivateSink() {
    if (!module_.empty()) std::system(("pactl unload-module " + module_).c_str());
  }
  bool loaded() const { return !module_.empty(); }
  std::string monitor() const { return name_ + ".monitor"; }
  // Takes the sink away, as when a sound interface is unplugged.
  void remove() {
    if (!module_.empty()) std::system(("pactl unload-module " + module_).c_str());
    module_.clear();
  }

 private:
  static std::string output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char line[64];
      while (std::fgets(line, sizeof line, pipe)) text += line;
      pclose(pipe);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
  }
  std::string name_;
  std::string module_;
};

// Plays 0.1 s of silence while the sink wakes up, then a ramp, 1, 2, 3, ..., never past what
// the test has allowed.
struct Ramp {
  static constexpr int kLeadIn = 4800;
  std::atomic<int> given{0};
  std::atomic<int> allowed{0};  // ramp samples
  std::size_t fill(std::int16_t* samples, std::size_t count) {
    std::size_t n = 0;
    while (n < count && given < kLeadIn + allowed) {
      const int at = given++;
      samples[n++] = static_cast<std::int16_t>(at < kLeadIn ? 0 : at - kLeadIn + 1);
    }
    return n;
  }
};

TEST(PulseStream, AbsentServerIsRefusedAtOnceWithAReason) {
  const char* saved = std::getenv("PULSE_SERVER");
  const std::string before = saved ? saved : "";
  setenv("PULSE_SERVER", "unix:/nonexistent/mosaic-test-socket", 1);
  PulseStream stream;
  std::string error;
  const auto start = Clock::now();
  EXPECT_FALSE(stream.open(setupFor(SoundDirection::Playback, {}), {}, error));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(error, "the sound server is not running");
  EXPECT_FALSE(stream.isOpen());
  stream.fillNow();  // harmless while closed
  if (saved) {
    setenv("PULSE_SERVER", before.c_str(), 1);
  } else {
    unsetenv("PULSE_SERVER");
  }
}

TEST(PulseStream, WhatIsPlayedIsRecordedInOrderAndTheTicksFollowBothPositions) {
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  const PrivateSink sink("pulse_stream_ramp");
  ASSERT_TRUE(sink.loaded());
  std::mutex lock;
  std::vector<std::int16_t> recorded;
  std::atomic<std::int64_t> recordedTicked{-1};
  PulseStream recorder;
  std::string error;
  ASSERT_TRUE(recorder.open(setupFor(SoundDirection::Recording, sink.monitor()),
                            {nullptr,
                             [&](const std::int16_t* samples, std::size_t count) {
                               std::lock_guard<std::mutex> hold(lock);
                               recorded.insert(recorded.end(), samples, samples + count);
                             },
                             nullptr, [&](std::int64_t position) { recordedTicked = position; }},
                            error))
      << error;

  Ramp ramp;
  std::atomic<std::int64_t> played{-1};
  PulseStream player;
  ASSERT_TRUE(player.open(
      setupFor(SoundDirection::Playback, "pulse_stream_ramp"),
      {[&](std::int16_t* samples, std::size_t count) { return ramp.fill(samples, count); }, nullptr,
       nullptr, [&](std::int64_t position) { played = position; }},
      error))
      << error;
  // Given in two parts with a pause between: the second part follows the first without a gap.
  ramp.allowed = 4800;
  player.fillNow();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ramp.allowed = 9600;
  player.fillNow();
  const int total = Ramp::kLeadIn + 9600;
  EXPECT_TRUE(waitFor([&] { return played >= total; }, 3000)) << "played " << played;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(played, total) << "never more than was given";
  EXPECT_TRUE(waitFor(
      [&] {
        std::lock_guard<std::mutex> hold(lock);
        for (const std::int16_t v : recorded)
          if (v == 9600) return true;
        return false;
      },
      3000));
  player.close();
  recorder.close();
  {
    std::lock_guard<std::mutex> hold(lock);
    EXPECT_LE(recordedTicked, static_cast<std::int64_t>(recorded.size()));
    EXPECT_GT(recordedTicked, static_cast<std::int64_t>(recorded.size()) - 48000)
        << "the recording's position is what it has taken";
  }

  // The ramp as it came back, without the silence before and between the parts.
  std::vector<std::int16_t> ramped;
  for (const std::int16_t v : recorded)
    if (v != 0) ramped.push_back(v);
  ASSERT_EQ(ramped.size(), 9600u);
  for (std::size_t i = 0; i < ramped.size(); ++i)
    ASSERT_EQ(ramped[i], static_cast<std::int16_t>(i + 1)) << "at " << i;
}

TEST(PulseStream, AbsentDeviceIsRefusedWithTheServersReason) {
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  PulseStream stream;
  std::string error;
  EXPECT_FALSE(stream.open(setupFor(SoundDirection::Recording, "no-such-source"), {}, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(stream.isOpen());
}

TEST(PulseStream, ANamedDeviceThatGoesAwayEndsItsStreamOnceAndCanBeOpenedWhenBack) {
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  PrivateSink sink("pulse_stream_unplugged");
  ASSERT_TRUE(sink.loaded());
  std::atomic<int> failures{0};
  std::string why;
  std::mutex lock;
  PulseStream stream;
  std::string error;
  const auto open = [&] {
    return stream.open(setupFor(SoundDirection::Recording, sink.monitor()),
                       {nullptr, [](const std::int16_t*, std::size_t) {},
                        [&](const std::string& reason) {
                          std::lock_guard<std::mutex> hold(lock);
                          why = reason;
                          ++failures;
                        },
                        nullptr},
                       error);
  };
  ASSERT_TRUE(open()) << error;
  sink.remove();
  EXPECT_TRUE(waitFor([&] { return failures > 0; }, 3000)) << "not moved to another device";
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(failures, 1);
  {
    std::lock_guard<std::mutex> hold(lock);
    EXPECT_EQ(why, "the device went away or the sound server ended the stream");
  }
  stream.close();
  EXPECT_FALSE(open()) << "the device is away";
  PrivateSink back("pulse_stream_unplugged");
  ASSERT_TRUE(back.loaded());
  EXPECT_TRUE(open()) << error;
  stream.close();
  EXPECT_EQ(failures, 1) << "closing is no failure";
}

}  // namespace
}  // namespace mosaic
