#pragma once
// From the grabbed pixels to the picture planes: unpacking with the columns mirrored,
// 2 x 2 reduction and conversion to luminance and colour differences.

#include "transmitter/core/grab_bitmap.h"
#include "transmitter/core/picture_planes.h"

#include <cstdint>

namespace mosaic {

// Red, green and blue bytes indexed [m][k]: m = 0..127 from the bottom row up, k = 0..95 with
// the columns mirrored (k = 127 - x for client column x).
struct GrabSamples {
  std::uint8_t Rs[GrabBitmap::kHeight][GrabBitmap::kWidth];
  std::uint8_t Gs[GrabBitmap::kHeight][GrabBitmap::kWidth];
  std::uint8_t Bs[GrabBitmap::kHeight][GrabBitmap::kWidth];
};

// Red, green and blue samples on the picture grid [c][r], in picture units 0..7.96875.
struct RgbPlanes {
  PicturePlanes::Plane R{};
  PicturePlanes::Plane G{};
  PicturePlanes::Plane B{};
};

// Unpacks the bitmap in memory order into GrabSamples, mirroring the columns.
void unpackGrab(const GrabBitmap& grab, GrabSamples& out);

// Sums each 2 x 2 block and divides by 128 (not 4), for c = 1..48 and r = 1..64.
void reduceBlocks(const GrabSamples& in, RgbPlanes& out);

// Converts to Y, V, U for c = 0..47, r = 0..95; column 48 stays 0 and is never sent.
void convertColour(const RgbPlanes& in, PicturePlanes& out);

// All three steps: the planes of one grab, recreated from zero.
void reduceGrab(const GrabBitmap& grab, PicturePlanes& out);

}  // namespace mosaic
