#pragma once
// The picture filters that follow colour composition: the horizontal smoothing of the primary
// rows and the vertical step that fills the two rows above each primary row.

#include "receiver/core/picture/picture_bitmap.h"

#include <cstdint>

namespace mosaic {

// Smooths one row of 288 pixels in place, each component separately: for x = 286 down to 1,
// new[x] = (2 old[x] + new[x + 1] + old[x - 1]) / 4, rounded (ties to even). The right
// neighbour is therefore already filtered and the left one not yet; pixels 0 and 287 keep
// their values.
void filterRowHorizontally(std::uint8_t* row);

// Applies filterRowHorizontally to every primary row.
void filterHorizontally(PictureBitmap& bitmap);

// For every primary row y: rows y + 1 and y + 2 become copies of row y, or with interpolation
// (2 row y + row y+3) / 3 and (row y + 2 row y+3) / 3, rounded. Row 385 above the last primary
// row is never written, so the top band fades towards what it holds (black).
void verticalStep(PictureBitmap& bitmap, bool interpolate);

}  // namespace mosaic
