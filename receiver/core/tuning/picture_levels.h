#pragma once
// Which of the offsets that the frame links allow (they repeat every 0.798 Hz) is the true one,
// judged by the picture values it gives: luminance lies in 0..7.97 picture units, red
// difference in -4.90..4.90 and blue difference in -3.47..3.47, and a picture's darkest and
// lightest parts come close to those ends. Symbol-long windows on the symbols of a frame (the
// frame start is known) give one value per carrier and symbol pair; their histograms, kept
// relative to a tuning of 0 Hz, are compared with a spread over each range blurred by the
// noise measured between the carriers: some values exactly at either end (black, white, full
// colour), some colour differences exactly 0 (black, white and greys are all neutral), the
// rest evenly between.
//
// A picture of middle tones fits anywhere well inside the ranges; a share at an end would draw
// its darkest or lightest tones onto black or white, several hertz off. So for such a picture
// the luminance is judged as a whole (roughly centred in its range) and the colour by its
// neutral parts (see fit()), unless its few darkest and lightest values still reach black and
// white (small dark and bright patches): those then decide.

#include "receiver/core/tuning/window_spectra.h"

#include <array>
#include <span>
#include <utility>
#include <vector>

namespace mosaic {

class PictureLevels {
 public:
  PictureLevels();

  // Adds the values of the frame that starts at history[frameStart] (0..12288), with the
  // windows mixed by `mixHz` and a clock error of `clockPpm`; older frames count `keep` times.
  void addFrame(std::span<const float> history, long long historyStart, int frameStart,
                double mixHz, double clockPpm, double keep);
  void reset();
  bool empty() const { return frames_ == 0; }
  // How many values the histograms hold (after forgetting).
  double values() const;

  // The log-likelihood of the tuning offset `offsetHz`, higher for a better fit, with the
  // measured noise and the best shares at the ends for each group, kept for `refit`.
  double fit(double offsetHz);
  // The same with the shapes of the last `fit`, and without ruling out a tuning that puts many
  // values far outside a range: cheaper, for offsets near that one.
  double refit(double offsetHz) const;
  // Whether the luminance values so far are of middle tones only: their multiple is then a
  // guess from where such pictures usually lie, however clearly it fits best.
  bool middleTonesOnly() const { return frames_ > 0 && !reachesEnds_[0]; }

 private:
  static constexpr int kGroups = 3;  // luminance, red and blue difference
  static constexpr double kBinUnits = 0.1;
  static constexpr int kBins = 1000;  // -50..50 units

  // The noise width's share combinations in group g (see the tables below).
  static std::size_t sharesPerWidth(std::size_t g);
  // What group g's values moved by `shift` bins lose for lying far outside its range.
  double beyondRange(std::size_t g, long shift) const;

  // Where luminance reaches black and white only in a few values: a penalty that rules out
  // every tuning but the one that centres those extremes in the range.
  double extremesOffCentre(long shift) const;

  std::array<std::vector<double>, kGroups> counts_;
  // log P(value | range, width, shares) on a grid twice as wide as the histogram's, one table
  // per noise width and combination of shares at the ends (and, for colour, at 0).
  std::array<std::vector<std::vector<float>>, kGroups> logLikelihood_;
  WindowSpectra spectra_;
  std::vector<int> starts_;
  std::vector<WindowSpectrum> windows_;
  int frames_ = 0;
  std::array<std::size_t, kGroups> chosenShape_{};
  double noiseWidth_ = 0.0;  // [picture units] of one value
  // Per group, as of the last frame: the histogram's first and last occupied bins, and whether
  // the values reach across most of the range.
  std::array<std::pair<int, int>, kGroups> occupied_{};
  std::array<bool, kGroups> reachesEnds_{};
  // Whether luminance's few extremes reach across its range anyway, and their middle [units].
  bool extremesReach_ = false;
  double extremesMiddle_ = 0.0;
};

}  // namespace mosaic
