#include "receiver/app/picture_view.h"

#include "receiver/app/picture_image.h"

#include <QPainter>

namespace mosaic {

namespace {
QImage blackPicture() {
  QImage black(kPictureImageWidth, kPictureImageHeight, QImage::Format_RGB888);
  black.fill(Qt::black);
  return black;
}
}  // namespace

PictureView::PictureView(QWidget* parent) : QWidget(parent), shown_(blackPicture()) {
  setGeometry(0, 0, kPictureImageWidth, kPictureImageHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);  // the image covers the whole area
}

void PictureView::showPicture(const QImage& picture) {
  shown_ = picture;
  noInput_ = false;
  repaint();  // drawn now, as part of the buffer's handling
}

void PictureView::windowRepainted(ScreenSize size) {
  if (size != ScreenSize::Small) return;
  shown_ = blackPicture();
  update();
}

void PictureView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, shown_);
  if (!noInput_) return;
  painter.fillRect(rect(), QColor(0, 0, 0, 160));
  painter.setPen(Qt::white);
  painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("no input"));
}

void PictureView::setNoInput(bool noInput) {
  if (noInput == noInput_) return;
  noInput_ = noInput;
  update();
}

}  // namespace mosaic
