#include "transmitter/app/video_area_widget.h"

#include <QPainter>

namespace mosaic {

VideoAreaWidget::VideoAreaWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void VideoAreaWidget::showImage(const QImage& image) {
  image_ = image;
  if (size() != image.size()) setFixedSize(image.size());
  update();
}

void VideoAreaWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}

}  // namespace mosaic
