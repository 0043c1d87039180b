#pragma once
// How long the sound streams' reports wait before the owner's thread takes them: the time from
// a buffer finishing (played, or filled) to its handling, worst case and last, for probes.

#include <algorithm>
#include <chrono>

namespace mosaic {

class HandOverClock {
 public:
  using Clock = std::chrono::steady_clock;

  // A report made on the stream's thread at `finishedAt` is handled now.
  void handled(Clock::time_point finishedAt) {
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - finishedAt).count();
    last_ = ms;
    worst_ = std::max(worst_, ms);
    lastFinishedAt_ = finishedAt;
    ++count_;
  }

  int count() const { return count_; }
  double worstMs() const { return worst_; }
  double lastMs() const { return last_; }
  // When the buffer of the last report finished.
  Clock::time_point lastFinishedAt() const { return lastFinishedAt_; }

 private:
  int count_ = 0;
  double worst_ = 0;
  double last_ = 0;
  Clock::time_point lastFinishedAt_{};
};

}  // namespace mosaic
