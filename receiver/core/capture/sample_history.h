#pragma once
// The last two capture buffers, on which every demodulator run works.

#include "signal/timing.h"

#include <array>
#include <cstdint>

namespace mosaic {

// 24576 samples at 9600 Hz: the buffer completed before the newest one (indices 0..12287),
// then the newest (12288..24575). All zero at start, so the first run sees silence before.
struct SampleHistory {
  std::array<std::int16_t, kHistorySamples> samples{};
};

// Moves the newest buffer into the older half and puts `completed` (12288 samples) after it.
void updateHistory(SampleHistory& history, const std::int16_t* completed);

}  // namespace mosaic
