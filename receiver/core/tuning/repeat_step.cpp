#include "receiver/core/tuning/repeat_step.h"

#include "receiver/core/tuning/complex_product.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstddef>

namespace mosaic {

namespace {

// A step counts when it stands six times the noise's standard deviation for it clear (its square
// 36 times the variance): noise alone, at the worst of the 47 links, stayed below five on the
// receiver's test signals, still pictures from 6 to 30 dB, fading and a sending clock 100 ppm off.
constexpr double kClearStepScore = 36.0;
// and turns the carriers after it by at least this much [cycles]. A still picture's products
// bend smoothly from carrier to carrier by up to a few hundredths of a cycle (a sending clock's
// error, the windows' fraction of a sample from whole frames apart).
constexpr double kLeastStepCycles = 0.08;
// Of a normal variable's square over its variance, the mean of the lower three quarters.
constexpr double kLowerThreeQuartersMean = 0.368;

}  // namespace

bool repeatStepped(const RepeatPhases& products, const RepeatPower& power) {
  // Each carrier against the one made before it, within a group of neighbouring bins: the angle
  // between them, and its variance per unit of noise (noise of equal power on both windows moves
  // a product across by as much more as they are stronger).
  std::array<double, kRepeatCarriers> angle{};
  std::array<double, kRepeatCarriers> spread{};
  std::array<double, kRepeatCarriers> sorted{};
  int links = 0;
  for (int c = 1; c < kRepeatCarriers; ++c) {
    const auto at = static_cast<std::size_t>(c);
    if (isRepeatGroupStart(c) || std::norm(products[at]) <= 0.0 ||
        std::norm(products[at - 1]) <= 0.0)
      continue;
    angle[at] = std::arg(times(products[at], std::conj(products[at - 1])));
    spread[at] = power[at] / std::norm(products[at]) + power[at - 1] / std::norm(products[at - 1]);
    sorted[static_cast<std::size_t>(links++)] = angle[at];
  }
  if (links == 0) return false;
  // A sending clock's error, and windows a fraction of a sample from whole frames apart, turn
  // each carrier in proportion to its bin, so every link alike: the typical link's angle.
  const auto middle = sorted.begin() + links / 2;
  std::nth_element(sorted.begin(), middle, sorted.begin() + links);
  const double ramp = *middle;
  // The noise from the links but the quarter that lie farthest out, so that the few a change
  // turns do not count as noise.
  links = 0;
  for (int c = 1; c < kRepeatCarriers; ++c) {
    const auto at = static_cast<std::size_t>(c);
    if (spread[at] <= 0.0) continue;
    angle[at] = std::remainder(angle[at] - ramp, kTwoPi);
    sorted[static_cast<std::size_t>(links++)] = angle[at] * angle[at] / spread[at];
  }
  std::sort(sorted.begin(), sorted.begin() + links);
  const int kept = links - links / 4;
  double typical = 0.0;
  for (int i = 0; i < kept; ++i) typical += sorted[static_cast<std::size_t>(i)];
  const double noise = typical / kept / kLowerThreeQuartersMean;
  // A link that turns far enough to matter, and clearly farther than the noise lets it.
  for (int c = 1; c < kRepeatCarriers; ++c) {
    const auto at = static_cast<std::size_t>(c);
    if (spread[at] <= 0.0 || std::abs(angle[at]) < kTwoPi * kLeastStepCycles) continue;
    if (angle[at] * angle[at] > kClearStepScore * noise * spread[at]) return true;
  }
  return false;
}

}  // namespace mosaic
