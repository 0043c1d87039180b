#include "platform/buffer_queue_device.h"

#include <algorithm>
#include <cstring>

namespace mosaic {

BufferQueueDevice::BufferQueueDevice(QObject* parent) : QIODevice(parent) {}

void BufferQueueDevice::enqueue(const std::int16_t* samples, int count) {
  if (count <= 0) return;
  std::lock_guard<std::mutex> hold(lock_);
  queue_.push_back({samples, count, 0, 0});
}

void BufferQueueDevice::clear() {
  std::lock_guard<std::mutex> hold(lock_);
  queue_.clear();
}

int BufferQueueDevice::queued() const {
  std::lock_guard<std::mutex> hold(lock_);
  return static_cast<int>(queue_.size());
}

std::int64_t BufferQueueDevice::served() const {
  std::lock_guard<std::mutex> hold(lock_);
  return served_;
}

int BufferQueueDevice::takePlayed(std::int64_t playedSamples) {
  std::lock_guard<std::mutex> hold(lock_);
  int taken = 0;
  while (!queue_.empty() && queue_.front().read == queue_.front().count &&
         queue_.front().endsAt <= playedSamples) {
    queue_.pop_front();
    ++taken;
  }
  return taken;
}

qint64 BufferQueueDevice::bytesAvailable() const {
  qint64 unread = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (const Pending& p : queue_) unread += p.count - p.read;
  }
  return unread * 2 + QIODevice::bytesAvailable();
}

qint64 BufferQueueDevice::readData(char* data, qint64 maxSize) {
  std::lock_guard<std::mutex> hold(lock_);
  auto* out = reinterpret_cast<std::int16_t*>(data);
  qint64 wanted = maxSize / 2;
  qint64 given = 0;
  for (Pending& p : queue_) {
    if (wanted == 0) break;
    if (p.read == p.count) continue;
    const qint64 n = std::min<qint64>(wanted, p.count - p.read);
    std::memcpy(out + given, p.samples + p.read, static_cast<std::size_t>(n) * 2);
    given += n;
    wanted -= n;
    p.read += static_cast<int>(n);
    served_ += n;
    if (p.read == p.count) p.endsAt = served_;
  }
  return given * 2;
}

}  // namespace mosaic
