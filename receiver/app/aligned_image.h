#pragma once
// The aligned frame as an image, for the window's aligned view, saved pictures and
// `mosaic decode --aligned`.

#include "receiver/core/picture/aligned_frame.h"

#include <QImage>

namespace mosaic {

// A deep copy of `picture` (RGB888); a null image when it is empty.
QImage alignedImage(const AlignedPicture& picture);

}  // namespace mosaic
