#pragma once
// How closely received picture value bytes reproduce a transmitted picture's luminance: the
// measure behind the demo's verdict and the round-trip checks.

#include "transmitter/core/picture_planes.h"

#include <cstdint>
#include <limits>

namespace mosaic::tool {

// The luminance byte that a perfectly received value Y gives at `slot` with colour balance
// `balance`: 128 (sin(2 pi Y / 30) + balance slot / 5000) + 128, limited to 0..255.
double expectedLumaByte(float y, int slot, int balance);

struct LuminanceMatch {
  double meanError = std::numeric_limits<double>::quiet_NaN();  // [byte steps]
  int subColumn = -1;
  int firstSymbol = -1;  // index in the symbol sequence of the symbol that carries column 1
  long comparedBytes = 0;
};

// Compares a sequence of received symbols (147 bytes each: slots 10..58, sub-columns 0..2, as
// in a run or a movie file) with the luminance rows 18..53 and columns 1..47 that `sent`
// carries, at every alignment where the whole picture lies inside the sequence, and returns the
// alignment and sub-column with the smallest mean absolute error.
LuminanceMatch bestLuminanceMatch(const PicturePlanes& sent, const std::uint8_t* symbols,
                                  int symbolCount, int balance);

}  // namespace mosaic::tool
