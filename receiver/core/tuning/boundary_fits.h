#pragma once
// How well the frame links fit at every 32nd sample of the frame, summed over buffers. A
// frame lasts exactly one buffer, so a boundary stays at the same place in the two-buffer
// history but for the sending clock's drift (about a sample per frame at 100 ppm), and the fits
// of several frames add up there. One frame's fit is too noisy to place the boundary under
// fading: a faded frame fits little anywhere and a noise peak elsewhere can win; summed, each
// frame counts by its strength (the sizes of its link products), so faded frames weigh little.

#include "receiver/core/tuning/boundary_links.h"

#include <vector>

namespace mosaic {

class BoundaryFits {
 public:
  static constexpr int kStep = 32;  // [samples] between the places kept

  BoundaryFits();

  void reset();
  // A new buffer: the fits summed so far count `keep` times.
  void nextBuffer(double keep);
  // This buffer's fit at history place `q` (a multiple of kStep, 0..12288).
  void add(int q, const LinkFit& fit);
  // The summed fit at `q`, 0..1 (0 where nothing was taken).
  double at(int q) const;

 private:
  static int cell(int q);

  std::vector<double> agreeing_;
  std::vector<double> size_;
};

}  // namespace mosaic
