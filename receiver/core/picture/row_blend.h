#pragma once
// The inner loops of smooth scaling: a target row blended between two widened source rows, or
// copied from one. Rows are either kept in the processor's cache, for a strip that is read again
// at once, or streamed past it to memory, for a picture much larger than the cache that is
// written once where it is shown: then the processor does not first read every line it
// overwrites, and a 4K picture is made in about half the time.

#include <cstdint>

namespace mosaic {

enum class PixelStores { kCached, kStreamed };

// `levels` bytes: level i of `base` (256 a + 128) and `step` (b - a, in 16 bits that wrap) made
// into a + (b - a) weight / 256, rounded to nearest with halves up.
void blendRow(const std::uint16_t* base, const std::uint16_t* step, unsigned weight,
              std::uint8_t* out, int levels, PixelStores stores);

void copyRow(const std::uint32_t* in, std::uint32_t* out, int pixels, PixelStores stores);

// Orders streamed stores before what follows (another thread or process reading the picture).
void finishStores(PixelStores stores);

}  // namespace mosaic
