#pragma once
// The colour-difference planes, built from the colour carriers' differential values.

#include "receiver/core/demodulation/symbol_planes.h"
#include "signal/extended.h"

namespace mosaic {

// For t = 1..96: cr[t][10 + 4j + m] = luma[t][46 + j] - f0/11 (j = 0..12, m = 0..3), and
// cb[t][s] = luma[t][55] - f0/11 for s = 10..81, in every sub-column. Removing f0/11 keeps
// the colour neutral while the tuning is used to set the picture brightness.
void colourPlanes(const Extended& tuningOffsetHz, SymbolPlanes& planes);

}  // namespace mosaic
