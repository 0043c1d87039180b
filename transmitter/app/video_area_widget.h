#pragma once
// Shows the composed video area at the top-left corner of the window's client area.

#include <QImage>
#include <QWidget>

namespace mosaic {

class VideoAreaWidget : public QWidget {
  Q_OBJECT
 public:
  explicit VideoAreaWidget(QWidget* parent);

  // Shows `image` (client coordinates, transparent where the window shows through).
  void showImage(const QImage& image);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

}  // namespace mosaic
