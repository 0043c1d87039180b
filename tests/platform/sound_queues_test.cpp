// The queues between the sound server's client thread and the thread that owns the device. The
// transmitter's buffers: played back to back and returned only once played. The receiver's:
// filled in the order queued, and nothing lost while the owner holds both buffers, up to the
// backlog.

#include "platform/capture_queue.h"
#include "platform/playback_queue.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

namespace mosaic {
namespace {

std::vector<std::int16_t> ramp(int from, int count) {
  std::vector<std::int16_t> v(static_cast<std::size_t>(count));
  std::iota(v.begin(), v.end(), static_cast<std::int16_t>(from));
  return v;
}

TEST(PlaybackQueue, ReadsBuffersBackToBackAndReturnsThemOnlyOncePlayed) {
  PlaybackQueue queue;
  const std::array<std::int16_t, 3> a{1, 2, 3};
  const std::array<std::int16_t, 2> b{4, 5};
  queue.enqueue(a.data(), 3);
  queue.enqueue(b.data(), 2);
  std::array<std::int16_t, 4> out{};
  ASSERT_EQ(queue.read(out.data(), 4), 4u);
  EXPECT_EQ(out, (std::array<std::int16_t, 4>{1, 2, 3, 4}));
  // Read is not played: a buffer comes back once the play position has passed its end.
  EXPECT_EQ(queue.takePlayed(2), 0);
  EXPECT_EQ(queue.takePlayed(3), 1);
  EXPECT_EQ(queue.takePlayed(100), 0);  // b is not read in full yet
  // An empty queue gives nothing rather than silence of its own.
  out = {};
  ASSERT_EQ(queue.read(out.data(), 4), 1u);
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(queue.read(out.data(), 4), 0u);
  EXPECT_EQ(queue.takePlayed(5), 1);
  EXPECT_EQ(queue.queued(), 0);
  // A buffer queued later follows the last one without a gap in the stream's count.
  queue.enqueue(a.data(), 3);
  ASSERT_EQ(queue.read(out.data(), 4), 3u);
  EXPECT_EQ(queue.takePlayed(7), 0);
  EXPECT_EQ(queue.takePlayed(8), 1);
  // Cleared, nothing is read or returned, and a new stream counts from its start.
  queue.enqueue(b.data(), 2);
  queue.clear();
  EXPECT_EQ(queue.read(out.data(), 4), 0u);
  EXPECT_EQ(queue.takePlayed(1000), 0);
  queue.enqueue(a.data(), 3);
  ASSERT_EQ(queue.read(out.data(), 4), 3u);
  EXPECT_EQ(queue.takePlayed(3), 1);
}

TEST(CaptureQueue, FillsInQueueOrderAndKeepsWhatArrivesWhileNoBufferIsFree) {
  CaptureQueue buffers(10);
  std::vector<std::int16_t> one(4), two(4);
  EXPECT_TRUE(buffers.queue(1, one.data(), 4).empty());
  EXPECT_TRUE(buffers.queue(2, two.data(), 4).empty());
  // One recording crosses from buffer 1 into buffer 2 and past it: 3 samples wait.
  const auto r = ramp(0, 11);
  EXPECT_EQ(buffers.record(r.data(), 11), (std::vector<int>{1, 2}));
  EXPECT_EQ(one, ramp(0, 4));
  EXPECT_EQ(two, ramp(4, 4));
  EXPECT_EQ(buffers.backlog(), 3);
  // More arrives while the window still holds both buffers.
  const auto later = ramp(11, 3);
  EXPECT_TRUE(buffers.record(later.data(), 3).empty());
  // Buffer 1 comes back: the waiting samples fill it at once, in order, and the rest waits.
  EXPECT_EQ(buffers.queue(1, one.data(), 4), (std::vector<int>{1}));
  EXPECT_EQ(one, ramp(8, 4));
  EXPECT_EQ(buffers.backlog(), 2);
  // The next recording goes in behind the backlog.
  const auto next = ramp(14, 2);
  EXPECT_EQ(buffers.queue(2, two.data(), 4), std::vector<int>{});
  EXPECT_EQ(buffers.record(next.data(), 2), (std::vector<int>{2}));
  EXPECT_EQ(two, ramp(12, 4));
  EXPECT_EQ(buffers.lost(), 0);
}

TEST(CaptureQueue, CountsWhatAFullBacklogLosesAndWrapsAroundIt) {
  CaptureQueue buffers(5);
  const auto r = ramp(0, 7);
  EXPECT_TRUE(buffers.record(r.data(), 7).empty());
  EXPECT_EQ(buffers.backlog(), 5);
  EXPECT_EQ(buffers.lost(), 2);  // the newest two
  std::vector<std::int16_t> b(3);
  EXPECT_EQ(buffers.queue(1, b.data(), 3), std::vector<int>{1});
  EXPECT_EQ(b, ramp(0, 3));
  // The ring wraps: two old samples at its end, three new at its start.
  const auto more = ramp(20, 3);
  buffers.record(more.data(), 3);
  std::vector<std::int16_t> c(5);
  EXPECT_EQ(buffers.queue(2, c.data(), 5), std::vector<int>{2});
  EXPECT_EQ(c, (std::vector<std::int16_t>{3, 4, 20, 21, 22}));
  // Cleared: the backlog and the queue are gone.
  buffers.record(more.data(), 3);
  buffers.clear();
  EXPECT_EQ(buffers.backlog(), 0);
  std::vector<std::int16_t> d(2, -1);
  EXPECT_TRUE(buffers.queue(3, d.data(), 2).empty());
  EXPECT_EQ(d, (std::vector<std::int16_t>{-1, -1}));
}

TEST(CaptureQueue, ASoundThreadAndAWindowThreadTogetherLoseAndReorderNothing) {
  constexpr int kBuffer = 96, kBuffers = 400;
  CaptureQueue buffers(kBuffer * 8);
  std::vector<std::vector<std::int16_t>> memory(2, std::vector<std::int16_t>(kBuffer));
  buffers.queue(0, memory[0].data(), kBuffer);
  buffers.queue(1, memory[1].data(), kBuffer);
  std::mutex reportLock;
  std::vector<int> reported;
  std::thread sound([&] {
    std::int16_t next = 0;
    for (int chunk = 0; chunk < kBuffers * kBuffer / 24; ++chunk) {
      // Paced like a device: the backlog never has to hold more than four buffers.
      while (buffers.backlog() > 4 * kBuffer) std::this_thread::yield();
      std::int16_t samples[24];
      for (auto& s : samples) s = next++;
      const auto done = buffers.record(samples, 24);
      std::lock_guard<std::mutex> hold(reportLock);
      reported.insert(reported.end(), done.begin(), done.end());
      if (chunk % 16 == 0) std::this_thread::yield();
    }
  });
  // The window: takes each reported buffer, checks it continues the stream, queues it again.
  std::int16_t expected = 0;
  std::size_t handled = 0;
  bool inOrder = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (handled < kBuffers && std::chrono::steady_clock::now() < deadline) {
    std::vector<int> now;
    {
      std::lock_guard<std::mutex> hold(reportLock);
      now.assign(reported.begin() + static_cast<long>(handled), reported.end());
    }
    if (now.empty()) {
      std::this_thread::yield();
      continue;
    }
    for (const int id : now) {
      ++handled;
      for (const std::int16_t s : memory[static_cast<std::size_t>(id)]) inOrder &= s == expected++;
      const auto done = buffers.queue(id, memory[static_cast<std::size_t>(id)].data(), kBuffer);
      std::lock_guard<std::mutex> hold(reportLock);
      reported.insert(reported.end(), done.begin(), done.end());
    }
  }
  sound.join();
  EXPECT_EQ(handled, std::size_t{kBuffers});
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(buffers.lost(), 0);
}

}  // namespace
}  // namespace mosaic
