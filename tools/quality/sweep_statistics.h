#pragma once
// A figure measured over several independent trials: its mean and how far the mean can be
// trusted (the standard error of the mean).

#include <cstddef>
#include <vector>

namespace mosaic::tool {

struct Figure {
  double mean = 0.0;
  double standardError = 0.0;  // of the mean; 0 with fewer than two samples
  std::size_t samples = 0;

  // The standard error as a share of the mean (0 when the mean is 0).
  double relativeSpread() const { return mean > 0.0 ? standardError / mean : 0.0; }
  // Stable when the mean is known to `share` of itself, or to `floor` byte steps, whichever is
  // looser: a share of nearly nothing is no goal.
  bool stable(double share, double floor) const {
    return samples >= 2 && (standardError <= share * mean || standardError <= floor);
  }
};

Figure figureOf(const std::vector<double>& samples);

}  // namespace mosaic::tool
