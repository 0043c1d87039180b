#pragma once
// Replaying a movie file: the demodulator's planes rebuilt from recorded picture value bytes,
// so that the receiver's picture reconstruction can show a recording again.

#include "receiver/core/demodulation/symbol_planes.h"

#include <cstdint>

namespace mosaic {

// The differential value a recorded byte stands for: (v - 128) / 128. (A silent carrier was
// recorded as 0 too, so it comes back as -1.)
double valueOfRecordedByte(std::uint8_t v);

// The planes of the run whose movie frame is `frame`: its symbols 1..48 from `frame`, and its
// symbols 49..95 from the first 47 symbols of `nextFrame`, the following frame (nullptr when
// there is none: those symbols are then silent). Each frame is kMovieFrameBytes long. The colour
// planes are derived as the demodulator derives them, with no tuning correction.
void planesFromMovieFrames(const std::uint8_t* frame, const std::uint8_t* nextFrame,
                           SymbolPlanes& planes);

}  // namespace mosaic
