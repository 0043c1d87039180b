// Capture buffers between a source's thread and the reception loop: pieces of any size make whole
// buffers in order, events keep their place, a live source that runs ahead loses the oldest
// buffers (counted) and a file source waits.

#include "station/reception_queue.h"

#include "signal/timing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace mosaic::station {
namespace {

using Kind = ReceptionQueue::Kind;
using std::chrono::milliseconds;

std::vector<std::int16_t> counting(std::size_t count, int from = 0) {
  std::vector<std::int16_t> samples(count);
  for (std::size_t i = 0; i < count; ++i)
    samples[i] = static_cast<std::int16_t>((from + i) % 30000);
  return samples;
}

TEST(ReceptionQueue, PiecesOfAnySizeMakeWholeBuffersInOrderWithTheEventsBetween) {
  ReceptionQueue queue(8, ReceptionQueue::WhenFull::Wait);
  const auto samples = counting(3 * kCaptureSamples);
  // Pieces of 1, 7, 4096 and 9999 samples and an empty one, round and round.
  const std::size_t sizes[] = {1, 7, 0, 4096, 9999};
  std::size_t at = 0;
  for (int i = 0; at < 2 * kCaptureSamples + 100; ++i) {
    const std::size_t n = std::min(sizes[i % 5], 2 * kCaptureSamples + 100 - at);
    ASSERT_TRUE(queue.pushSamples(samples.data() + at, n));
    at += n;
  }
  ASSERT_TRUE(queue.pushEvent(Kind::Stopped));  // the 100 samples short of a buffer go
  ASSERT_TRUE(queue.pushSamples(samples.data() + at, kCaptureSamples));
  ASSERT_TRUE(queue.pushEvent(Kind::Ended));

  const std::vector<std::pair<Kind, std::size_t>> expected = {{Kind::Buffer, 0},
                                                              {Kind::Buffer, kCaptureSamples},
                                                              {Kind::Stopped, 0},
                                                              {Kind::Buffer, at},
                                                              {Kind::Ended, 0}};
  for (const auto& [kind, first] : expected) {
    const auto item = queue.take(milliseconds(100));
    ASSERT_TRUE(item);
    ASSERT_EQ(item->kind, kind);
    if (kind == Kind::Buffer) {
      EXPECT_TRUE(std::equal(item->samples, item->samples + kCaptureSamples,
                             samples.begin() + static_cast<std::ptrdiff_t>(first)));
    }
  }
  EXPECT_FALSE(queue.take(milliseconds(10))) << "nothing more";
  EXPECT_EQ(queue.leftOverSamples(), 100);
  EXPECT_EQ(queue.droppedBuffers(), 0);
}

TEST(ReceptionQueue, WhenTheLoopFallsBehindALiveSourceDropsTheOldestAndAFileSourceWaits) {
  const auto samples = counting(6 * kCaptureSamples);
  ReceptionQueue live(3, ReceptionQueue::WhenFull::DropOldest);
  ASSERT_TRUE(live.pushSamples(samples.data(), samples.size()));
  EXPECT_EQ(live.droppedBuffers(), 3);
  EXPECT_EQ(live.take(milliseconds(100))->samples[0], samples[3 * kCaptureSamples]);

  ReceptionQueue file(2, ReceptionQueue::WhenFull::Wait);
  std::atomic<bool> pushed{false};
  std::thread source([&] { pushed = file.pushSamples(samples.data(), samples.size()); });
  for (std::size_t b = 0; b < 6; ++b) {
    const auto item = file.take(milliseconds(2000));
    ASSERT_TRUE(item) << b;
    EXPECT_EQ(item->samples[kCaptureSamples - 1], samples[(b + 1) * kCaptureSamples - 1]);
  }
  source.join();
  EXPECT_TRUE(pushed);
  EXPECT_EQ(file.droppedBuffers(), 0);
  // A source waiting for room, and a loop waiting for buffers, both stop at a cancel.
  std::thread blocked([&] { pushed = file.pushSamples(samples.data(), samples.size()); });
  std::this_thread::sleep_for(milliseconds(50));
  file.cancel();
  blocked.join();
  EXPECT_FALSE(pushed);
  EXPECT_FALSE(file.take(milliseconds(1000)));
}

}  // namespace
}  // namespace mosaic::station
