#pragma once
// When is the received picture still usable? Chosen by looking at received pictures next to
// their figures (see the quality page): below this mean luminance error the test card's text
// and the portrait's face are still plain; above it noise begins to hide them.

#include "tools/quality/sweep_runner.h"

#include <optional>
#include <vector>

namespace mosaic::tool {

inline constexpr double kUsableLumaError = 12.0;  // [byte steps] against a perfect channel

// The lowest SNR of a channel's points (falling SNRs) down to which every point's luminance
// error stays at or below `limit`; none when even the first point is above it.
std::optional<double> usableDownTo(const std::vector<PointResult>& points, double limit,
                                   bool tuned = false);

}  // namespace mosaic::tool
