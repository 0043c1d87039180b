#pragma once
// The sending clock's error from a still picture's repeats, pair of frames by pair of frames.
// A clock error turns each carrier's repeat in proportion to its frequency, and by as much more
// as the two copies lie frames apart. Fading turns the carriers of a pair too, each frame anew,
// but mostly alike (a path's delay of a millisecond turns neighbouring carriers nearly alike):
// the turns of a sum over frames scatter, while within one pair the carriers still line up. So
// each pair is lined up by itself, and only how well it lines up at each trial error is summed:
// over the pairs 1 to kMostFramesApart frames apart, whose longer baselines resolve the error
// finer, and each of whose own ghosts of the fading's delay lies elsewhere.

#include "receiver/core/tuning/clock_search.h"

#include "signal/carrier_plan.h"
#include "signal/timing.h"

#include <array>
#include <complex>

namespace mosaic {

// The carriers' bins, in the order the estimator keeps them: luminance, then colour.
inline constexpr int kRepeatCarriers = 49;
int repeatCarrierBin(int carrier);
// The carrier's bin does not follow the one before it (the first of each group).
bool isRepeatGroupStart(int carrier);
using RepeatPhases = std::array<std::complex<double>, kRepeatCarriers>;

// A carrier k drifts k times as fast as the grid's first bin: per ppm of clock error, one bin's
// phase over a frame turns by this many cycles.
inline constexpr double kFrameCyclesPerBinAndPpm =
    double(kCaptureSamples) / kRxSampleRateHz * kCarrierSpacingHz * 1e-6;

// Whether windows measured with mixers at `mixHz` and `olderMixHz`, `extraSamples` from a whole
// number of frames apart, are copies to compare: not when the mixers lie more than 0.1 Hz apart
// (the transform's phase leans slightly on where the carrier lies in its bin), nor further than
// an eighth of a frame from whole frames.
bool areRepeats(double mixHz, double olderMixHz, long long extraSamples);

// The sum of `products`, carrier k's turned by k `cyclesPerBin` cycles (stepped from bin to bin).
std::complex<double> turnedBack(const RepeatPhases& products, double cyclesPerBin);

class RepeatClock {
 public:
  using Phases = RepeatPhases;
  static constexpr int kMostFramesApart = 8;

  RepeatClock() { reset(); }

  // A frame's window on its first symbol, unmixed (phases referring to the carriers' own
  // frequencies), starting at absolute sample `start`, measured with the mixer at `mixHz`;
  // the sums of earlier frames count `keep` times.
  void addFrame(const Phases& unmixed, long long start, double mixHz, double keep);
  void reset();

  // Enough pairs, lined up well enough to be of a still picture.
  bool clear() const;
  // The error within +-300 ppm whose turns line the pairs up best.
  double ppm() const;
  // 0..1: how well the pairs line up at it, each by itself (0.7 and more for a still picture
  // through moderate fading at 6 dB; a picture that changes scatters every pair's carriers).
  double agreement() const;

 private:
  static constexpr int kMaxPpm = static_cast<int>(kMaxClockPpm);
  static constexpr int kPpmStep = 4;
  static constexpr int kTrials = 2 * kMaxPpm / kPpmStep + 1;

  std::size_t best() const;
  void addPair(const Phases& newer, const Phases& older, int framesApart, long long extra);

  struct Frame {
    Phases phases;
    long long start = 0;
    double mixHz = 0.0;
  };
  std::array<Frame, kMostFramesApart> frames_{};  // the last ones, the newest at `newest_`
  int kept_ = 0;
  int newest_ = -1;
  std::array<double, kTrials> lineUp_{};  // per trial error, summed over pairs with forgetting
  double mostLineUp_ = 0.0;               // what the pairs would give if every one lined up fully
  int pairs_ = 0;
};

}  // namespace mosaic
