#pragma once
// The transmitter's queued buffers as one continuous stream that the sound server pulls from.
// The owner's thread queues buffers; the sound server's client thread reads them and learns
// which ones have been played. Reading never invents silence: with nothing queued a read returns
// nothing, so a late buffer still follows the previous one without a gap of its own making.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

namespace mosaic {

class PlaybackQueue {
 public:
  // Adds a buffer behind the others (any thread). The samples must stay unchanged until the
  // buffer has been reported played.
  void enqueue(const std::int16_t* samples, int count);
  // Drops every queued buffer, read or not, and starts the stream afresh (any thread).
  void clear();
  // Buffers queued and not yet reported played.
  int queued() const;
  // Copies up to `count` samples that follow those read before to `samples`; returns how many.
  std::size_t read(std::int16_t* samples, std::size_t count);
  // Removes the buffers that have been read in full and whose last sample lies within the first
  // `playedSamples` samples of the stream; returns how many.
  int takePlayed(std::int64_t playedSamples);

 private:
  struct Pending {
    const std::int16_t* samples;
    int count;
    int read;             // [samples] already read
    std::int64_t endsAt;  // stream position after its last sample; valid once read in full
  };
  mutable std::mutex lock_;
  std::deque<Pending> queue_;  // read in full ones first, then the ones still being read
  std::int64_t read_ = 0;      // [samples] read since the stream began
};

}  // namespace mosaic
