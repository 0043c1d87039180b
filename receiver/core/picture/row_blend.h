#pragma once
// The inner loop of smooth scaling: a target row blended between two widened source rows.

#include <cstdint>

namespace mosaic {

// `levels` bytes: level i of `base` (256 a + 128) and `step` (b - a, in 16 bits that wrap) made
// into a + (b - a) weight / 256, rounded to nearest with halves up.
void blendRow(const std::uint16_t* base, const std::uint16_t* step, unsigned weight,
              std::uint8_t* out, int levels);

}  // namespace mosaic
