#pragma once
// What the frame combiner is told: whether to combine and over how many frames, and what the
// tuning estimator knows of the sender, as plain values.

#include "receiver/core/tuning/tuning_estimator.h"

#include <algorithm>

namespace mosaic {

inline constexpr int kMinCombinedFrames = 1;
inline constexpr int kMaxCombinedFrames = 16;
inline constexpr int kDefaultCombinedFrames = 8;

struct CombiningSettings {
  bool on = false;
  int frames = kDefaultCombinedFrames;  // the newest frames a value is formed from, 1..16
  // Follow the sender's clock as the tuning estimator measures it; off only to measure what
  // following it gives.
  bool followClock = true;
};

inline int combinedFramesWithinRange(int frames) {
  return std::clamp(frames, kMinCombinedFrames, kMaxCombinedFrames);
}

// The sender as the tuning estimator measures it from a still picture's repeats.
struct SenderEstimate {
  // The sending sound card's clock runs fast by `clockPpm`: its frames arrive 12288 ppm 1e-6
  // samples earlier each, and carrier k sits 37.5 k ppm 1e-6 Hz above its bin.
  bool clockKnown = false;
  double clockPpm = 0.0;
  // The carrier number that the receiver's tuning puts on its bin despite the clock error: the
  // one the estimator's offset centres (a tuning by eye on the picture centres the same rows).
  // Each carrier's product is turned back by the clock's share of its distance from there.
  double tunedBin = kCentredCarrier;
};

// What the estimator's latest estimate tells the combiner: the clock, once it has locked.
inline SenderEstimate senderEstimateOf(const TuningEstimate& estimate) {
  SenderEstimate sender;
  sender.clockKnown = estimate.locked;
  sender.clockPpm = estimate.locked ? estimate.clockPpm : 0.0;
  return sender;
}

}  // namespace mosaic
