#include "receiver/core/tuning/slider_offset.h"

#include "receiver/core/slider_scales.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

TuningPositions tuningPositions(double offsetHz) {
  if (!std::isfinite(offsetHz)) return {};
  auto position = [](double hz, int stepsPerHz) {
    return static_cast<int>(
        std::clamp(std::nearbyint(hz * stepsPerHz) + kSliderMiddle, 0.0, double(kSliderMaximum)));
  };
  TuningPositions p;
  p.coarse = position(offsetHz, kCoarseStepsPerHz);
  p.fine = position(offsetHz - tuningAt(p.coarse, kCoarseStepsPerHz), kFineStepsPerHz);
  return p;
}

void applyTuningPositions(const TuningPositions& positions, DemodSettings& settings) {
  settings.coarseHz = tuningAt(positions.coarse, kCoarseStepsPerHz);
  settings.fineHz = tuningAt(positions.fine, kFineStepsPerHz);
}

}  // namespace mosaic
