#include "platform/playback_queue.h"

#include <algorithm>
#include <cstring>

namespace mosaic {

void PlaybackQueue::enqueue(const std::int16_t* samples, int count) {
  if (!samples || count <= 0) return;
  std::lock_guard<std::mutex> hold(lock_);
  queue_.push_back({samples, count, 0, 0});
}

void PlaybackQueue::clear() {
  std::lock_guard<std::mutex> hold(lock_);
  queue_.clear();
  read_ = 0;
}

int PlaybackQueue::queued() const {
  std::lock_guard<std::mutex> hold(lock_);
  return static_cast<int>(queue_.size());
}

int PlaybackQueue::takePlayed(std::int64_t playedSamples) {
  std::lock_guard<std::mutex> hold(lock_);
  int taken = 0;
  while (!queue_.empty() && queue_.front().read == queue_.front().count &&
         queue_.front().endsAt <= playedSamples) {
    queue_.pop_front();
    ++taken;
  }
  return taken;
}

std::size_t PlaybackQueue::read(std::int16_t* samples, std::size_t count) {
  std::lock_guard<std::mutex> hold(lock_);
  std::size_t given = 0;
  for (Pending& p : queue_) {
    if (given == count) break;
    if (p.read == p.count) continue;
    const std::size_t n = std::min(count - given, static_cast<std::size_t>(p.count - p.read));
    std::memcpy(samples + given, p.samples + p.read, n * sizeof(std::int16_t));
    given += n;
    p.read += static_cast<int>(n);
    read_ += static_cast<std::int64_t>(n);
    if (p.read == p.count) p.endsAt = read_;
  }
  return given;
}

}  // namespace mosaic
