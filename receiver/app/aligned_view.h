#pragma once
// The aligned view: the newest complete received frame the way it was sent, in a panel beside
// the window's controls that grows with the window. The picture keeps its 47:36 aspect and is
// scaled smoothly; the controls stay where they are.

#include "receiver/core/picture/aligned_frame.h"
#include "receiver/core/picture/smooth_scale.h"
#include "receiver/core/receiver_engine.h"

#include <QImage>
#include <QWidget>

#include <string>

namespace mosaic {

// Pixels per sent column and luminance row of the frame the view keeps: 141 x 108, about the
// Large view's own magnification, scaled further as the panel grows.
inline constexpr int kAlignedViewScale = 3;
inline constexpr int kAlignedPanelMinWidth = kAlignedColumns * 4;  // [pixels]

class AlignedView : public QWidget {
  Q_OBJECT
 public:
  explicit AlignedView(QWidget* parent = nullptr);

  // After each buffer: the engine's aligned frame, once it makes one. Kept also while the view is
  // hidden, so that a saved picture is the current one whatever the view.
  void newBuffer(const ReceiverEngine& engine);

  // The current aligned frame (null until a frame boundary has been found).
  const QImage& frame() const { return frame_; }
  // `frame()` fitted into `size` keeping its aspect, centred.
  QRect pictureRect(QSize size) const;

 signals:
  void frameAligned();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The rows of the picture in `target` that `dirty` reaches.
  void drawPicture(QPainter& painter, QRect target, QRect dirty);

  AlignedPicture picture_;  // the frame, kept for painting
  QImage frame_;
  // The frame scaled to the panel, a strip of rows at a time.
  static constexpr int kStripRows = 16;
  SmoothScaler scaler_;
  QImage strip_;
};

}  // namespace mosaic
