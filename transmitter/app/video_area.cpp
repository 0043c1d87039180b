#include "transmitter/app/video_area.h"

namespace mosaic {

QImage fitToVideoArea(const QImage& source) {
  QImage rgb = source.convertToFormat(QImage::Format_RGB888);
  if (rgb.size() == QSize(kVideoAreaWidth, kVideoAreaHeight)) return rgb;
  return rgb.scaled(kVideoAreaWidth, kVideoAreaHeight, Qt::IgnoreAspectRatio,
                    Qt::SmoothTransformation);
}

void grabFromImage(const QImage& client, GrabBitmap& out) {
  const QImage rgb = client.format() == QImage::Format_RGB888
                         ? client
                         : client.convertToFormat(QImage::Format_RGB888);
  for (int y = 0; y < GrabBitmap::kHeight; ++y) {
    const bool rowInside = y < rgb.height();
    const uchar* line = rowInside ? rgb.constScanLine(y) : nullptr;
    for (int x = GrabBitmap::kLeftColumn; x < GrabBitmap::kLeftColumn + GrabBitmap::kWidth; ++x) {
      std::uint8_t* p = out.pixelAt(x, y);
      if (rowInside && x < rgb.width()) {
        p[0] = line[3 * x + 2];  // blue
        p[1] = line[3 * x + 1];  // green
        p[2] = line[3 * x];      // red
      } else {
        p[0] = p[1] = p[2] = 0;
      }
    }
  }
}

}  // namespace mosaic
