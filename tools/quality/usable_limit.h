#pragma once
// When is the received picture still usable? Chosen by looking at the received pictures next to
// their figures: up to this mean luminance error the test card's text reads and the portrait's
// eyes and mouth show through the noise (white noise at 15 dB, about 13 steps; moderate fading at
// 18 dB, about 15); at 18 steps and more (white noise at 12 dB) they are barely made out.

#include "tools/quality/sweep_runner.h"

#include <optional>
#include <vector>

namespace mosaic::tool {

inline constexpr double kUsableLumaError = 16.0;  // [byte steps] against a perfect channel

// The lowest SNR of a channel's points (falling SNRs) down to which every point's luminance
// error stays at or below `limit`; none when even the first point is above it.
std::optional<double> usableDownTo(const std::vector<PointResult>& points, double limit,
                                   bool tuned = false);
// The same for the still picture combined over the plan's `combinedFrames[which]` frames.
std::optional<double> combinedUsableDownTo(const std::vector<PointResult>& points, double limit,
                                           std::size_t which);
// How many frames after a new picture its newest frame is usable from on (every later one
// measured is as well); none when not within those measured.
std::optional<int> usableAfterChange(const PointResult& point, double limit);

}  // namespace mosaic::tool
