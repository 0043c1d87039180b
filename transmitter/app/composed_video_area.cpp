#include "transmitter/app/composed_video_area.h"

#include "transmitter/app/overlays.h"

#include <QPainter>

namespace mosaic {

namespace {

// What the area shows with no file and no camera.
const QColor kEmptyArea(0, 0, 0);

QImage blank(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

}  // namespace

ComposedVideoArea::ComposedVideoArea() : overlay_(blank(kWidth, kHeight)) {
  setSourcePicture(QImage());
}

void ComposedVideoArea::setSourcePicture(const QImage& picture) {
  if (picture.isNull()) {
    source_ = QImage(kVideoAreaWidth, kVideoAreaHeight, QImage::Format_RGB888);
    source_.fill(kEmptyArea);
  } else {
    source_ = fitToVideoArea(picture);
  }
  compose();
}

void ComposedVideoArea::drawOverlays(CrawlState& crawl, const std::string& crawlText) {
  const std::string window = advanceCrawl(crawl, crawlText);
  overlay_.fill(Qt::transparent);
  QPainter painter(&overlay_);
  drawCrawlWindow(painter, window);
  drawMarkerFrame(painter);
  painter.end();
  compose();
}

void ComposedVideoArea::compose() {
  composed_ = blank(kWidth, kHeight);
  QPainter painter(&composed_);
  painter.drawImage(0, 0, source_);
  painter.drawImage(0, 0, overlay_);
}

}  // namespace mosaic
