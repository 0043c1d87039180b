#pragma once
// Estimates, from the received audio alone, the tuning offset that centres the carriers (the
// sliders' convention: a signal that arrives 3 Hz low is centred by +3.0 Hz), the sending sound
// card's clock error, and where the frames begin.
//
// Method, per capture buffer, on the last two buffers:
// 1. coarse: the mean power spectrum is matched against the carrier plan over -24..24 Hz;
// 2. frame boundary: around every boundary each carrier is on its grid frequency for half a
//    symbol either side, and starts the frame at the phase at which the previous carrier in the
//    generation order ends it; the half symbols after one boundary and before the next one
//    fit together only there (see boundary_links.h), so the best fit over all positions, summed
//    over the frames so that faded ones weigh little (see boundary_fits.h), is the boundary; a
//    clock error turns the links apart, and once a still picture's repeats give it, it is turned
//    back and the sum started again;
// 3. clock: a clock error turns the links in proportion to the carrier; the error within
//    +-300 ppm that makes the links, summed over frames, agree best, where it does so clearly;
// 4. fine: carried to the boundaries, the links turn by the offset over one frame (1.28 s), so
//    their common angle gives the offset modulo 0.78125 Hz; a still picture's frame-to-frame
//    repeat gives it and the clock error without leaning on the boundary's exact position, and
//    counts instead where it agrees (see frame_repeat.h);
// 5. which multiple of 0.78125 Hz: the one whose picture values fit their ranges best
//    (see picture_levels.h; values of faded carriers left out), within 10 Hz of the coarse
//    estimate, or near the last once locked;
// 6. lock: the links agree over two frames and more, and the mean spectrum has the colour and the
//    luminance carriers in their parts (the same sound at another rate gives one and not both).
// Allocation happens once, when the estimator is made.

#include "receiver/core/tuning/boundary_fits.h"
#include "receiver/core/tuning/boundary_links.h"
#include "receiver/core/tuning/frame_repeat.h"
#include "receiver/core/tuning/picture_levels.h"
#include "receiver/core/tuning/tuning_spectrum.h"
#include "receiver/core/tuning/window_spectra.h"
#include "signal/carrier_plan.h"
#include "signal/timing.h"

#include <complex>
#include <cstdint>
#include <span>
#include <vector>

namespace mosaic {

// A frame boundary whose links fit less than this is taken for noise or for no signal of this
// kind: the estimator does not measure at it, and the frame alignment does not take it.
inline constexpr double kMinBoundaryCoherence = 0.3;

// A sending clock that runs fast moves every carrier up in proportion to its frequency, which
// no single tuning undoes. The offset given is the one that centres the luminance carriers,
// which carry the brightness: it puts this carrier number, halfway between carriers 56 and 91,
// on its place, so that as many rows lie above their places as below, each at most 0.066 Hz
// away at 100 ppm.
inline constexpr double kCentredCarrier = 73.5;
// The tuning [Hz] that a sending clock `clockPpm` fast calls for on top of the offset at 0 Hz.
inline double clockCentringHz(double clockPpm) {
  return -kCentredCarrier * kCarrierSpacingHz * clockPpm * 1e-6;
}

struct TuningEstimate {
  bool valid = false;       // an offset has been estimated (at least a coarse one)
  double offsetHz = 0.0;    // f0 [Hz] for the sliders, centring the luminance carriers
  double confidence = 0.0;  // 0..1: how sure the offset is (0 while only coarse)
  // Frame boundaries found and the links agree: the offset is right to a few hundredths of a
  // hertz up to a multiple of 0.78125 Hz, chosen by the picture values (see picture_levels.h).
  // Taken only while the colour and the luminance carriers each hold their part of the power.
  bool locked = false;
  double clockPpm = 0.0;  // the sending clock's error [ppm], when `locked`
  // Absolute sample (counted from the first sample given) of the latest frame start found, or
  // -1; and where it lies in the receiver's current two-buffer history (0..12288), or -1.
  long long frameStartSample = -1;
  int frameStartInHistory = -1;
  double boundaryCoherence = 0.0;  // 0..1: how well the latest boundary fitted
};

class TuningEstimator {
 public:
  TuningEstimator();

  // One capture buffer of 12288 samples, in order.
  void addBuffer(const std::int16_t* samples);
  // Forgets everything, as after a change of station.
  void reset();

  const TuningEstimate& estimate() const { return estimate_; }
  long long buffers() const { return buffers_; }

 private:
  // Over the whole frame, the fits of this buffer added to those of the frames before.
  void findBoundary();
  // This buffer's fit of the frame links at each trial frame start (in the history), in `fits_`.
  void fitTrials(std::span<const int> trials);
  // The trial that fits best, summed over the frames, or in this buffer alone.
  std::size_t bestSummed() const;
  std::size_t bestNow() const;
  void measureFrame(int start);
  // The estimate from the frames measured so far, in three steps.
  void solve();
  struct ClockFit {
    double ppm;                // the sending clock's error
    std::complex<double> sum;  // of the links, turned back by it
    double agreement;          // 0..1: how well the links agree once turned back
  };
  ClockFit fitClock() const;
  // The links summed over frames, each turned back by a clock error of `ppm`.
  std::complex<double> linksTurnedBack(double ppm) const;
  struct FineFit {
    double fractionHz;  // the offset modulo 0.78125 Hz
    double clockPpm;
  };
  // Also sets `clock` to a still picture's clock error where its repeats give one.
  FineFit fineFraction(ClockFit& clock);
  struct MultipleFit {
    double offsetHz;
    double sure;  // 0..1: how clearly the multiple fits best
  };
  MultipleFit chooseMultiple(double fractionHz);

  std::vector<float> history_;  // the last two buffers, older first
  long long buffers_ = 0;
  TuningSpectrum spectrum_;  // for the coarse search
  SpectrumRow meanPower_{};
  double coarseHz_ = 0.0;
  // The offset at 0 Hz, with the clock's share of each carrier's frequency apart: the frames'
  // measures, the mixer and the picture values work with it.
  double atZeroHz_ = 0.0;
  double mixHz_ = 0.0;  // the offset the windows are mixed by

  WindowSpectra spectra_;
  std::vector<int> trials_;
  std::vector<LinkFit> fits_;
  std::vector<int> starts_;
  std::vector<WindowSpectrum> windows_;

  // The sum over frames (with forgetting) of the link products, turned to a mixer at 0 Hz.
  LinkProducts links_{};
  // Each frame's links' agreement among themselves, summed over frames (with forgetting).
  double frameAgreeing_ = 0.0;
  double frameLinksSize_ = 0.0;
  int frames_ = 0;
  FrameRepeat repeat_;
  PictureLevels levels_;

  TuningEstimate estimate_;
  bool stillClock_ = false;  // the clock error is a still picture's, not the links' own
  bool searchedWithClock_ = false;
  double searchedAtPpm_ = 0.0;  // the clock error the last whole-frame search turned back
  double steadyFit_ = 0.0;      // the boundaries' recent best fit, slowly forgotten
  BoundaryFits boundaryFits_;
  int movedTo_ = -1;  // where the last buffer fitted clearly better than the summed place
};

}  // namespace mosaic
