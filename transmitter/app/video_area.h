#pragma once
// The transmitter's video area: a 160 x 128 picture at the top left of the window, of which the
// middle 96 columns (client columns 32..127, rows 0..127) are grabbed once per frame.

#include "transmitter/core/grab_bitmap.h"

#include <QImage>
#include <QRect>

namespace mosaic {

inline constexpr int kVideoAreaWidth = 160;   // [px]
inline constexpr int kVideoAreaHeight = 128;  // [px]

// The grab area in client coordinates.
inline QRect grabRect() {
  return QRect(GrabBitmap::kLeftColumn, 0, GrabBitmap::kWidth, GrabBitmap::kHeight);
}

// A source picture as the video area shows it: scaled to fill 160 x 128 (a picture of exactly
// that size is used pixel for pixel), in 24-bit colour.
QImage fitToVideoArea(const QImage& source);

// Copies the grab area of `client` (an image in client coordinates, at least 128 x 128) into the
// grab bitmap. Pixels the image does not cover are black.
void grabFromImage(const QImage& client, GrabBitmap& out);

}  // namespace mosaic
