#include "receiver/core/tuning/frame_alignment.h"

#include "signal/timing.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

namespace {

// The last kMovedBuffers boundaries, lying within kAgreeing [samples] of their own median and
// more than kMoved from the median of all, say that the sender's frames have moved: a gap in its
// sound, or another station. Wandering under noise, which the median is there for, is not as
// steady as that.
constexpr int kMovedBuffers = 5;
constexpr double kAgreeing = 24.0;
constexpr double kMoved = 96.0;

}  // namespace

void FrameAlignment::update(const TuningEstimate& estimate) {
  const int start = estimate.frameStartInHistory;
  // Boundaries found before a lost lock may be another station's.
  if (!estimate.locked) forget();
  if (!estimate.locked || start < 0 || start > kCaptureSamples) return;
  if (estimate.boundaryCoherence < kMinBoundaryCoherence) return;
  const long long absolute = estimate.frameStartSample;
  if (absolute < 0) {
    start_ = start;
    return;
  }
  starts_[static_cast<std::size_t>(next_)] = absolute;
  next_ = (next_ + 1) % kRemembered;
  count_ = std::min(count_ + 1, kRemembered);
  // A frame at the receiver lasts one buffer less the sending clock's error.
  const double frame = kCaptureSamples / (1.0 + estimate.clockPpm * 1e-6);
  shiftsFrom(absolute, frame);
  if (framesMoved()) {
    // The newest boundaries are kept, the newest last.
    std::array<long long, kMovedBuffers> newest{};
    for (int i = 0; i < kMovedBuffers; ++i)
      newest[std::size_t(i)] =
          starts_[std::size_t((next_ - kMovedBuffers + i + kRemembered) % kRemembered)];
    std::copy(newest.begin(), newest.end(), starts_.begin());
    count_ = kMovedBuffers;
    next_ = count_ % kRemembered;
    shiftsFrom(absolute, frame);
  }
  const double shift = medianShift(0, count_);
  int smoothed = start + static_cast<int>(std::lround(shift));
  // The newest complete frame: one that starts before the history does is the next one.
  if (smoothed < 0) smoothed += kCaptureSamples;
  if (smoothed > kCaptureSamples) smoothed -= kCaptureSamples;
  start_ = smoothed;
}

void FrameAlignment::reset() {
  start_ = -1;
  forget();
}

void FrameAlignment::forget() {
  count_ = 0;
  next_ = 0;
}

void FrameAlignment::shiftsFrom(long long newest, double frameSamples) {
  // Oldest first: the ring's slots from `next_` on, when it is full.
  const int first = count_ < kRemembered ? 0 : next_;
  for (int i = 0; i < count_; ++i) {
    const auto found = static_cast<double>(starts_[std::size_t((first + i) % kRemembered)]);
    const double frames = std::nearbyint((static_cast<double>(newest) - found) / frameSamples);
    shifts_[std::size_t(i)] = found + frames * frameSamples - static_cast<double>(newest);
  }
}

double FrameAlignment::medianShift(int first, int end) const {
  std::array<double, kRemembered> sorted = shifts_;
  const auto middle = sorted.begin() + (first + end) / 2;
  std::nth_element(sorted.begin() + first, middle, sorted.begin() + end);
  return *middle;
}

bool FrameAlignment::framesMoved() const {
  if (count_ <= kMovedBuffers) return false;
  const double recent = medianShift(count_ - kMovedBuffers, count_);
  for (int i = count_ - kMovedBuffers; i < count_; ++i)
    if (std::abs(shifts_[std::size_t(i)] - recent) > kAgreeing) return false;
  return std::abs(recent - medianShift(0, count_)) > kMoved;
}

}  // namespace mosaic
