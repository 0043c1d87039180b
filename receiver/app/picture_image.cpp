#include "receiver/app/picture_image.h"

#include "receiver/core/picture/render_picture.h"

namespace mosaic {

namespace {

// The source rectangle of the bottom-up bitmap as a top-down image of the same size.
QImage sourceImage(const PictureBitmap& bitmap, const SourceRect& rect) {
  QImage image(rect.width, rect.height, QImage::Format_RGB888);
  for (int line = 0; line < rect.height; ++line) {
    const int y = rect.y + rect.height - 1 - line;  // the top image line is the highest row
    const std::uint8_t* from = bitmap.pixel(rect.x, y);
    uchar* to = image.scanLine(line);
    for (int x = 0; x < rect.width; ++x) {
      to[3 * x + 0] = from[3 * x + kRed];
      to[3 * x + 1] = from[3 * x + kGreen];
      to[3 * x + 2] = from[3 * x + kBlue];
    }
  }
  return image;
}

}  // namespace

QImage pictureImage(const PictureBitmap& bitmap, ScreenSize size) {
  const SourceRect rect = sourceRect(size);
  QImage image = sourceImage(bitmap, rect);
  if (rect.width == kPictureImageWidth && rect.height == kPictureImageHeight) return image;
  return image.scaled(kPictureImageWidth, kPictureImageHeight, Qt::IgnoreAspectRatio,
                      Qt::SmoothTransformation);
}

}  // namespace mosaic
