#include "platform/capture_queue.h"

#include <algorithm>
#include <cstring>

namespace mosaic {

CaptureQueue::CaptureQueue(int backlogSamples)
    : ring_(static_cast<std::size_t>(std::max(backlogSamples, 1))) {}

std::vector<int> CaptureQueue::queue(int bufferId, std::int16_t* samples, int count) {
  std::vector<int> done;
  if (!samples || count <= 0) return done;
  std::lock_guard<std::mutex> hold(lock_);
  queue_.push_back({bufferId, samples, count, 0});
  drainBacklog(done);
  return done;
}

void CaptureQueue::drainBacklog(std::vector<int>& done) {
  const int capacity = static_cast<int>(ring_.size());
  while (backlog_ > 0 && !queue_.empty()) {
    Queued& head = queue_.front();
    // One contiguous piece of the ring at a time.
    const int n = std::min({backlog_, head.count - head.filled, capacity - head_});
    std::memcpy(head.samples + head.filled, ring_.data() + head_, static_cast<std::size_t>(n) * 2);
    head.filled += n;
    head_ = (head_ + n) % capacity;
    backlog_ -= n;
    if (head.filled == head.count) {
      done.push_back(head.id);
      queue_.pop_front();
    }
  }
}

std::vector<int> CaptureQueue::record(const std::int16_t* samples, int count) {
  std::vector<int> done;
  std::lock_guard<std::mutex> hold(lock_);
  // Older samples first: whatever waits in the backlog goes in before these.
  drainBacklog(done);
  while (count > 0 && !queue_.empty() && backlog_ == 0) {
    Queued& head = queue_.front();
    const int n = std::min(count, head.count - head.filled);
    std::memcpy(head.samples + head.filled, samples, static_cast<std::size_t>(n) * 2);
    head.filled += n;
    samples += n;
    count -= n;
    if (head.filled == head.count) {
      done.push_back(head.id);
      queue_.pop_front();
    }
  }
  const int capacity = static_cast<int>(ring_.size());
  while (count > 0) {
    if (backlog_ == capacity) {  // full: the newest samples are the ones lost
      lost_ += count;
      break;
    }
    const int tail = (head_ + backlog_) % capacity;
    const int n = std::min({count, capacity - backlog_, capacity - tail});
    std::memcpy(ring_.data() + tail, samples, static_cast<std::size_t>(n) * 2);
    backlog_ += n;
    samples += n;
    count -= n;
  }
  return done;
}

void CaptureQueue::clear() {
  std::lock_guard<std::mutex> hold(lock_);
  queue_.clear();
  head_ = 0;
  backlog_ = 0;
}

int CaptureQueue::backlog() const {
  std::lock_guard<std::mutex> hold(lock_);
  return backlog_;
}

std::int64_t CaptureQueue::lost() const {
  std::lock_guard<std::mutex> hold(lock_);
  return lost_;
}

}  // namespace mosaic
