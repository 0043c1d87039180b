#pragma once
// Where in the history (0..12288) the newest complete frame starts, kept from buffer to buffer.
// A boundary is taken only once the estimator has locked (its frame links agree, which noise
// never makes them do) and only when it fitted; until one is taken there is no aligned picture.
// Since a frame lasts exactly one buffer, a kept boundary stays where it is in the next history but
// for the sending clock's drift, which the estimator follows buffer by buffer.
// Each buffer's boundary is found on one frame alone, and under noise it wanders by tens of
// samples, for some pictures over several buffers in a row; the frames' starts are fixed by the
// sender, so the boundary used is the newest one moved by the median of how far the last ones,
// carried forward by whole frames, lie from it. A lost lock, or the newest boundaries agreeing
// far from that median (the sender's frames moved), starts the median afresh.

#include "receiver/core/tuning/tuning_estimator.h"

#include <array>

namespace mosaic {

class FrameAlignment {
 public:
  static constexpr int kRemembered = 41;  // [buffers] whose boundaries the median takes in

  // The estimator's state after the buffer that the picture shows.
  void update(const TuningEstimate& estimate);
  void reset();
  bool found() const { return start_ >= 0; }
  int frameStart() const { return start_; }

 private:
  void forget();
  // How far each remembered boundary lies from `newest` [samples], frames of `frameSamples`,
  // the newest last.
  void shiftsFrom(long long newest, double frameSamples);
  // The median of `shifts_` [first, end).
  double medianShift(int first, int end) const;
  bool framesMoved() const;

  int start_ = -1;
  std::array<long long, kRemembered> starts_{};  // absolute samples of the boundaries found
  int count_ = 0;
  int next_ = 0;
  std::array<double, kRemembered> shifts_{};  // for the median, reused
};

}  // namespace mosaic
