#include "receiver/app/aligned_view.h"

#include "receiver/app/aligned_image.h"
#include "receiver/app/direct_paint_target.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace mosaic {

AlignedView::AlignedView(QWidget* parent) : QWidget(parent) {
  reserveAligned(picture_);
  setAttribute(Qt::WA_OpaquePaintEvent);  // the paint covers the whole panel
  setMinimumWidth(kAlignedPanelMinWidth);
}

void AlignedView::newBuffer(const ReceiverEngine& engine) {
  if (!engine.report().aligned) return;
  const AlignedPicture& aligned = engine.alignedPicture();
  picture_.width = aligned.width;
  picture_.height = aligned.height;
  picture_.rgb.assign(aligned.rgb.begin(), aligned.rgb.end());
  const bool first = frame_.isNull();
  frame_ = alignedImage(picture_);
  // Drawn now, as part of the buffer's handling; the bars around the picture stay as they are
  // once the waiting text has gone.
  if (isVisible() && first) repaint();
  if (isVisible() && !first) repaint(pictureRect(size()));
  emit frameAligned();
}

QRect AlignedView::pictureRect(QSize size) const {
  const QSize fitted = QSize(kAlignedColumns, kAlignedRows).scaled(size, Qt::KeepAspectRatio);
  return QRect(QPoint((size.width() - fitted.width()) / 2, (size.height() - fitted.height()) / 2),
               fitted);
}

void AlignedView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (frame_.isNull()) {
    painter.fillRect(rect(), Qt::black);
    painter.setPen(Qt::gray);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("Waiting for a frame boundary"));
    return;
  }
  const QRect target = pictureRect(size());
  // Black bars around the picture (the painter leaves out what lies outside the region to
  // paint: a new frame repaints only the picture), then the picture scaled smoothly.
  painter.fillRect(QRect(0, 0, width(), target.top()), Qt::black);
  painter.fillRect(QRect(0, target.bottom() + 1, width(), height() - target.bottom() - 1),
                   Qt::black);
  painter.fillRect(QRect(0, target.top(), target.left(), target.height()), Qt::black);
  painter.fillRect(
      QRect(target.right() + 1, target.top(), width() - target.right() - 1, target.height()),
      Qt::black);
  if (!writePicture(painter, target, event->region())) {
    drawPicture(painter, target, event->rect() & target);
  }
}

QSize AlignedView::picturePixels(QRect target) const {
  return (QSizeF(target.size()) * devicePixelRatioF()).toSize();
}

bool AlignedView::writePicture(QPainter& painter, QRect target, const QRegion& region) {
  // Made where it is shown: a new frame costs one pass over the picture's memory, not a pass
  // to make it and two more for the painter to copy it on.
  const auto device = directPaintTarget(painter, region, devicePixelRatioF());
  if (!device) return false;
  const auto origin = devicePixel(painter, target.topLeft());
  if (!origin) return false;
  const QSize pixels = picturePixels(target);
  ++directPaints_;
  if (pixels.isEmpty()) return true;
  scaler_.setSizes(picture_.width, picture_.height, pixels.width(), pixels.height());
  const QRegion parts = device->writable & QRect(*origin, pixels);
  // A picture that would fill much of the processor's cache goes past it to memory: the
  // processor then does not read every line before overwriting it, and a 4K picture is made in
  // about half the time. A smaller one stays, for the window system to read from the cache.
  constexpr long long kStreamedPixels = 2'000'000;
  long long area = 0;
  for (const QRect& part : parts) area += static_cast<long long>(part.width()) * part.height();
  const PixelStores stores = area > kStreamedPixels ? PixelStores::kStreamed : PixelStores::kCached;
  for (const QRect& part : parts) {
    const QPoint at = part.topLeft() - *origin;
    scaler_.scaleBlock(picture_.rgb.data(), {at.y(), part.height(), at.x(), part.width()},
                       device->pixels + part.top() * device->stride + part.left(), device->stride,
                       stores);
  }
  return true;
}

void AlignedView::drawPicture(QPainter& painter, QRect target, QRect dirty) {
  // For painters that cannot be written to directly. Made in the screen's own pixels, so that it
  // is copied on without scaling, and in strips of rows that stay in the processor's cache from
  // being made to being copied.
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = picturePixels(target);
  if (pixels.isEmpty() || dirty.isEmpty()) return;
  scaler_.setSizes(picture_.width, picture_.height, pixels.width(), pixels.height());
  if (strip_.width() != pixels.width() || strip_.devicePixelRatio() != ratio) {
    strip_ = QImage(pixels.width(), kStripRows, QImage::Format_RGB32);
    strip_.setDevicePixelRatio(ratio);
  }
  const auto toPixels = [&](int y) { return std::clamp(y * ratio, 0.0, qreal(pixels.height())); };
  const int first = static_cast<int>(std::floor(toPixels(dirty.top() - target.top())));
  const int end = static_cast<int>(std::ceil(toPixels(dirty.bottom() + 1 - target.top())));
  auto* bits = reinterpret_cast<std::uint32_t*>(strip_.bits());
  for (int y = first; y < end; y += kStripRows) {
    const int rows = std::min(kStripRows, end - y);
    scaler_.scaleRows(picture_.rgb.data(), y, rows, bits, strip_.bytesPerLine() / 4, y > first);
    painter.drawImage(QPointF(target.left(), target.top() + y / ratio), strip_,
                      QRectF(0, 0, pixels.width(), rows));
  }
}

}  // namespace mosaic
