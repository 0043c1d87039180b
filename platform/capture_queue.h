#pragma once
// The receiver's queued capture buffers, filled in order from the recorded stream on the sound
// server's client thread while the owner's thread queues them again. Samples that arrive while no
// buffer is queued wait in a backlog and go into the next buffer queued, so an owner that hands a
// buffer back late loses nothing, up to the backlog's length.

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace mosaic {

class CaptureQueue {
 public:
  // Keeps up to `backlogSamples` samples while no buffer is queued.
  explicit CaptureQueue(int backlogSamples);

  // Queues caller-owned memory behind the other buffers and fills it from the backlog first.
  // Returns the ids of the buffers now full, in order.
  std::vector<int> queue(int bufferId, std::int16_t* samples, int count);
  // Recorded samples, in order. Returns the ids of the buffers now full, in order.
  std::vector<int> record(const std::int16_t* samples, int count);
  // Drops every queued buffer and the backlog.
  void clear();

  // Samples in the backlog, and samples lost because the backlog was full.
  int backlog() const;
  std::int64_t lost() const;

 private:
  struct Queued {
    int id;
    std::int16_t* samples;
    int count;
    int filled;
  };
  // Moves backlog samples into the queued buffers; appends the ids filled to `done`.
  void drainBacklog(std::vector<int>& done);

  mutable std::mutex lock_;
  std::deque<Queued> queue_;
  std::vector<std::int16_t> ring_;  // the backlog: `backlog_` samples from `head_` on, wrapping
  int head_ = 0;
  int backlog_ = 0;
  std::int64_t lost_ = 0;
};

}  // namespace mosaic
