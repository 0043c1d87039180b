#include "receiver/app/aligned_view.h"

#include "receiver/app/aligned_image.h"

#include <QPainter>

namespace mosaic {

AlignedView::AlignedView(QWidget* parent) : QWidget(parent) {
  reserveAligned(picture_);
  setAttribute(Qt::WA_OpaquePaintEvent);  // the paint covers the whole panel
  setMinimumWidth(kAlignedPanelMinWidth);
}

void AlignedView::newBuffer(const ReceiveChain& chain, const TuningEstimate& estimate,
                            const DemodSettings& demod) {
  alignment_.update(estimate);
  if (!alignment_.found()) return;
  alignFrame(chain.bitmap(), alignment_.frameStart(), demod.windowOffsets, kAlignedViewScale,
             picture_);
  frame_ = alignedImage(picture_);
  shownCurrent_ = false;
  // Drawn now, as part of the buffer's handling; the bars around the picture stay as they are.
  if (isVisible()) repaint(pictureRect(size()));
  emit frameAligned();
}

void AlignedView::reset() {
  alignment_.reset();
  frame_ = QImage();
  shownCurrent_ = false;
  update();
}

QRect AlignedView::pictureRect(QSize size) const {
  const QSize fitted = QSize(kAlignedColumns, kAlignedRows).scaled(size, Qt::KeepAspectRatio);
  return QRect(QPoint((size.width() - fitted.width()) / 2, (size.height() - fitted.height()) / 2),
               fitted);
}

void AlignedView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (frame_.isNull()) {
    painter.fillRect(rect(), Qt::black);
    painter.setPen(Qt::gray);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("Waiting for a frame boundary"));
    return;
  }
  const QRect target = pictureRect(size());
  // Made in the screen's own pixels, so that it is copied without scaling on any screen.
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(target.size()) * ratio).toSize();
  if (!pixels.isEmpty() && (!shownCurrent_ || shown_.size() != pixels)) {
    if (shown_.size() != pixels) shown_ = QImage(pixels, QImage::Format_RGB32);
    scaler_.setSizes(picture_.width, picture_.height, pixels.width(), pixels.height());
    scaler_.scale(picture_.rgb.data(), reinterpret_cast<std::uint32_t*>(shown_.bits()),
                  shown_.bytesPerLine() / 4);
    shown_.setDevicePixelRatio(ratio);
    shownCurrent_ = true;
  }
  // Black bars around the picture, then the picture scaled smoothly (the painter leaves out
  // what lies outside the region to paint).
  painter.fillRect(QRect(0, 0, width(), target.top()), Qt::black);
  painter.fillRect(QRect(0, target.bottom() + 1, width(), height() - target.bottom() - 1),
                   Qt::black);
  painter.fillRect(QRect(0, target.top(), target.left(), target.height()), Qt::black);
  painter.fillRect(
      QRect(target.right() + 1, target.top(), width() - target.right() - 1, target.height()),
      Qt::black);
  if (!pixels.isEmpty()) painter.drawImage(target.topLeft(), shown_);
}

}  // namespace mosaic
