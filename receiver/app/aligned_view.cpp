#include "receiver/app/aligned_view.h"

#include "receiver/app/aligned_image.h"

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
  drawPicture(painter, target, event->rect() & target);
}

void AlignedView::drawPicture(QPainter& painter, QRect target, QRect dirty) {
  // Made in the screen's own pixels, so that it is copied on without scaling, and in strips of
  // rows that stay in the processor's cache from being made to being copied.
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(target.size()) * ratio).toSize();
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
