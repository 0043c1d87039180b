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
  // The painter's smooth scaling has its fast path for 32-bit pixels: at 1920 x 1200 it costs
  // about a quarter less than from the frame's 24-bit ones.
  shown_ = frame_.convertToFormat(QImage::Format_RGB32);
  if (isVisible()) repaint();  // drawn now, as part of the buffer's handling
  emit frameAligned();
}

void AlignedView::reset() {
  alignment_.reset();
  frame_ = QImage();
  shown_ = QImage();
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
  // Black bars around the picture, then the picture scaled smoothly.
  painter.fillRect(QRect(0, 0, width(), target.top()), Qt::black);
  painter.fillRect(QRect(0, target.bottom() + 1, width(), height() - target.bottom() - 1),
                   Qt::black);
  painter.fillRect(QRect(0, target.top(), target.left(), target.height()), Qt::black);
  painter.fillRect(
      QRect(target.right() + 1, target.top(), width() - target.right() - 1, target.height()),
      Qt::black);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, shown_);
}

}  // namespace mosaic
