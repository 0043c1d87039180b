#pragma once
// The receiver's picture as the window shows it: a 288 x 192 image made from the bitmap, 1:1
// for the small view and stretched smoothly from the newest buffer's picture rows for the large.

#include "receiver/core/picture/display_settings.h"
#include "receiver/core/picture/picture_bitmap.h"

#include <QImage>

namespace mosaic {

inline constexpr int kPictureImageWidth = 288;   // [pixels]
inline constexpr int kPictureImageHeight = 192;  // [pixels]

// The bitmap's source rectangle for `size`, top row first, scaled to 288 x 192 (RGB888).
QImage pictureImage(const PictureBitmap& bitmap, ScreenSize size);

}  // namespace mosaic
