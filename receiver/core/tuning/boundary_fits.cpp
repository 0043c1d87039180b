#include "receiver/core/tuning/boundary_fits.h"

#include "signal/timing.h"

#include <algorithm>

namespace mosaic {

namespace {

constexpr int kCells = kCaptureSamples / BoundaryFits::kStep;

}  // namespace

BoundaryFits::BoundaryFits() : agreeing_(kCells), size_(kCells) { reset(); }

void BoundaryFits::reset() {
  std::fill(agreeing_.begin(), agreeing_.end(), 0.0);
  std::fill(size_.begin(), size_.end(), 0.0);
}

void BoundaryFits::nextBuffer(double keep) {
  for (double& a : agreeing_) a *= keep;
  for (double& s : size_) s *= keep;
}

// The boundary at the history's start is also the one a frame later.
int BoundaryFits::cell(int q) { return (q / kStep) % kCells; }

void BoundaryFits::add(int q, const LinkFit& fit) {
  const auto c = static_cast<std::size_t>(cell(q));
  agreeing_[c] += fit.agreeing;
  size_[c] += fit.size;
}

double BoundaryFits::at(int q) const {
  const auto c = static_cast<std::size_t>(cell(q));
  return size_[c] > 0.0 ? agreeing_[c] / size_[c] : 0.0;
}

}  // namespace mosaic
