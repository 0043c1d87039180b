#include "receiver/app/aligned_image.h"

namespace mosaic {

QImage alignedImage(const AlignedPicture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  return QImage(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                QImage::Format_RGB888)
      .copy();
}

}  // namespace mosaic
