#pragma once
// The picture area at the top left of the receiver window, 288 x 192 pixels. It shows each new
// picture as it is drawn and otherwise behaves like a window area that is painted only when a
// picture arrives: a repaint of the window blacks it in the small view and leaves it alone in
// the large view, until the next picture.

#include "receiver/core/picture/display_settings.h"

#include <QImage>
#include <QWidget>

namespace mosaic {

class PictureView : public QWidget {
  Q_OBJECT
 public:
  explicit PictureView(QWidget* parent = nullptr);

  // Draws a new picture (288 x 192).
  void showPicture(const QImage& picture);
  // The window is being repainted: in the small view the area turns black until the next
  // picture; in the large view it keeps what it shows.
  void windowRepainted(ScreenSize size);
  // Without input the last picture is dimmed and marked "no input", so that it is not taken
  // for a live one; the next picture drawn ends that.
  void setNoInput(bool noInput);
  bool noInput() const { return noInput_; }
  // What the area shows now.
  const QImage& shown() const { return shown_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage shown_;
  bool noInput_ = false;
};

}  // namespace mosaic
