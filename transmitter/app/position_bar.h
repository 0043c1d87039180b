#pragma once
// The position bar of file mode: a horizontal slider whose moves are reported with scroll codes
// (line, page, top, bottom, thumb track, thumb position, end of tracking), the way the window's
// scroll handler expects them.

#include "platform/scroll_code.h"

#include <QSlider>

#include <cstdint>

namespace mosaic {

class PositionBar : public QSlider {
  Q_OBJECT
 public:
  explicit PositionBar(QWidget* parent);

  // The range 0 .. the low 16 bits of `length`.
  void setLength(std::int32_t length);
  // Moves the thumb (limited to the range).
  void setPosition(std::int32_t position);
  // The thumb's position now, including a move that is being reported.
  std::int32_t position() const { return sliderPosition(); }

 signals:
  // The operator moved the bar: a scroll code and the thumb position.
  void scrolled(ScrollCode code, int thumbPosition);

 private:
  void onAction(int action);
  void onThumbMoved(int position);
  void onReleased();
};

}  // namespace mosaic
