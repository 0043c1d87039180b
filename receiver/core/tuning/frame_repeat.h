#pragma once
// The offset modulo 0.78125 Hz from a still picture sent again and again. Every carrier then
// starts each frame at the same phase, so a window on the frame's first symbol sees, one frame
// later, the same phases turned by the offset over the windows' distance. Unlike the frame links
// (see boundary_links.h), which pair each carrier with its neighbour, this pairs every carrier
// with itself: it does not lean on where exactly the boundary lies. (A boundary found a few
// samples off turns every link alike, and the offset with it, by 0.003 Hz per sample; on a
// smooth picture the links leave the boundary tens of samples uncertain.)
//
// A picture that changes, even by one row, turns every carrier made after that row alike (see
// repeat_step.h): such a pair is not summed, and counts against the agreement of the sums, so
// that a picture whose crawl line moves on every frame claims neither a still picture nor the
// offset its turned carriers would give.

#include "receiver/core/tuning/repeat_clock.h"
#include "receiver/core/tuning/window_spectra.h"

#include <array>
#include <complex>

namespace mosaic {

class FrameRepeat {
 public:
  // What the repeats say: the offset modulo 0.78125 Hz in the sliders' convention, the clock
  // error that makes them agree best, and how well they agree (0..1, near 1 for a still picture).
  struct Fit {
    bool valid = false;
    double fractionHz = 0.0;  // 0 .. 0.78125
    double clockPpm = 0.0;
    double agreement = 0.0;
    // The clock error is the one that lines up the pairs of frames one by one (see
    // repeat_clock.h), which hold under fading that scatters the sums.
    bool clockFromPairs = false;
  };

  FrameRepeat() { reset(); }

  // Window A of a frame (starting on its first sample, absolute sample `start`), mixed by
  // `mixHz`; the sums of earlier frames count `keep` times.
  void addFrame(const WindowSpectrum& a, long long start, double mixHz, double keep);
  void reset();

  // The fit at the clock error within +-300 ppm that the pairs of frames give, or until they
  // line up clearly, the one that fits the sums best.
  Fit fit() const;

 private:
  RepeatPhases sums_{};
  RepeatPhases previous_{};  // the last window A, unmixed
  long long previousStart_ = 0;
  double previousMixHz_ = 0.0;
  bool havePrevious_ = false;
  int pairs_ = 0;  // still ones, summed
  // The products' sizes of the pairs whose picture changed (see repeat_step.h), summed with the
  // same forgetting as the sums: they count against the sums' agreement.
  double changed_ = 0.0;
  RepeatClock clock_;  // the clock error, from pairs lined up one by one
};

}  // namespace mosaic
