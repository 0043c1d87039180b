#include "receiver/core/tuning/slider_offset.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

TuningPositions tuningPositions(double offsetHz) {
  if (!std::isfinite(offsetHz)) return {};
  TuningPositions p;
  p.coarse = static_cast<int>(std::clamp(std::nearbyint(offsetHz * 10.0) + 200.0, 0.0, 400.0));
  const double rest = offsetHz - (p.coarse - 200) / 10.0;
  p.fine = static_cast<int>(std::clamp(std::nearbyint(rest * 50.0) + 200.0, 0.0, 400.0));
  return p;
}

void applyTuningPositions(const TuningPositions& positions, DemodSettings& settings) {
  settings.coarseHz = static_cast<float>((positions.coarse - 200) / 10.0L);
  settings.fineHz = static_cast<float>((positions.fine - 200) / 50.0L);
}

}  // namespace mosaic
