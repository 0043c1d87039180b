#pragma once
// The demodulator's settings, written by the receiver's controls and read once at the start of
// every run.

#include "signal/extended.h"

#include <array>
#include <cstdlib>

namespace mosaic {

// Window offsets of sub-columns 1 and 2 while "+ half pixel" is on [samples]; off gives (0, 0).
inline constexpr std::array<int, 2> kHalfPixelOffsets = {85, 170};

struct DemodSettings {
  float coarseHz = 0.0f;  // coarse tuning offset [Hz], -20..20 in 0.1 steps
  float fineHz = 0.0f;    // fine tuning offset [Hz], -4..4 in 0.02 steps
  int balance = 67;       // colour-balance slope, -200..200
  std::array<int, 2> windowOffsets = kHalfPixelOffsets;  // sub-columns 1 and 2 [samples]
};

// The tuning offset f0 = fine + coarse [Hz], in extended precision from the two stored offsets.
inline Extended tuningOffsetHz(const DemodSettings& s) {
  return Extended(s.fineHz) + Extended(s.coarseHz);
}

// What one click on "+ half pixel" does: each offset o becomes |o - 85| and |o - 170| in turn,
// which swaps (85, 170) and (0, 0).
inline void toggleHalfPixel(DemodSettings& s) {
  s.windowOffsets = {std::abs(s.windowOffsets[0] - kHalfPixelOffsets[0]),
                     std::abs(s.windowOffsets[1] - kHalfPixelOffsets[1])};
}

inline bool halfPixelOn(const DemodSettings& s) { return s.windowOffsets == kHalfPixelOffsets; }

}  // namespace mosaic
