#include "station/reception_queue.h"

#include "signal/timing.h"

#include <algorithm>

namespace mosaic::station {

ReceptionQueue::ReceptionQueue(std::size_t places, WhenFull whenFull)
    : whenFull_(whenFull),
      filling_(kCaptureSamples),
      places_(std::max<std::size_t>(places, 1)),
      current_(kCaptureSamples) {
  for (Place& place : places_) place.samples.resize(kCaptureSamples);
}

template <typename Fill>
bool ReceptionQueue::enqueue(Kind kind, Fill fill) {
  std::unique_lock<std::mutex> hold(lock_);
  if (whenFull_ == WhenFull::Wait) {
    changed_.wait(hold, [this] { return cancelled_ || count_ < places_.size(); });
  } else if (count_ == places_.size()) {
    head_ = (head_ + 1) % places_.size();
    --count_;
    ++dropped_;
  }
  if (cancelled_) return false;
  Place& place = places_[(head_ + count_) % places_.size()];
  place.kind = kind;
  fill(place.samples);
  ++count_;
  hold.unlock();
  changed_.notify_all();
  return true;
}

bool ReceptionQueue::pushSamples(const std::int16_t* samples, std::size_t count) {
  while (count > 0) {
    const std::size_t take = std::min(count, filling_.size() - filled_);
    std::copy_n(samples, take, filling_.begin() + static_cast<std::ptrdiff_t>(filled_));
    filled_ += take;
    samples += take;
    count -= take;
    if (filled_ == filling_.size()) {
      filled_ = 0;
      if (!enqueue(Kind::Buffer, [this](std::vector<std::int16_t>& out) { out.swap(filling_); }))
        return false;
    }
  }
  return true;
}

bool ReceptionQueue::pushEvent(Kind kind) {
  if (kind == Kind::Stopped || kind == Kind::Ended) {
    std::lock_guard<std::mutex> hold(lock_);
    leftOver_ += static_cast<long long>(filled_);
  }
  if (kind == Kind::Stopped || kind == Kind::Ended) filled_ = 0;
  return enqueue(kind, [](std::vector<std::int16_t>&) {});
}

std::optional<ReceptionQueue::Item> ReceptionQueue::take(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> hold(lock_);
  if (!changed_.wait_for(hold, wait, [this] { return cancelled_ || count_ > 0; })) return {};
  if (cancelled_) return {};
  Place& place = places_[head_];
  Item item{place.kind, nullptr};
  if (place.kind == Kind::Buffer) {
    place.samples.swap(current_);
    item.samples = current_.data();
  }
  head_ = (head_ + 1) % places_.size();
  --count_;
  hold.unlock();
  changed_.notify_all();
  return item;
}

void ReceptionQueue::cancel() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    cancelled_ = true;
  }
  changed_.notify_all();
}

long long ReceptionQueue::droppedBuffers() const {
  std::lock_guard<std::mutex> hold(lock_);
  return dropped_;
}

long long ReceptionQueue::leftOverSamples() const {
  std::lock_guard<std::mutex> hold(lock_);
  return leftOver_;
}

}  // namespace mosaic::station
