#pragma once
// The period over which the tuning compares the signal with itself: one capture buffer, which is
// one frame. Offsets a whole multiple of its reciprocal apart turn every carrier alike over it, so
// frame-to-frame comparisons cannot tell them apart; the picture values choose among them.

#include "signal/timing.h"

namespace mosaic {

inline constexpr double kFrameSeconds = double(kCaptureSamples) / kRxSampleRateHz;  // 1.28 s
inline constexpr double kAmbiguityHz = 1.0 / kFrameSeconds;                         // 0.78125 Hz

}  // namespace mosaic
