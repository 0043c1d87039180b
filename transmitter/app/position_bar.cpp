#include "transmitter/app/position_bar.h"

#include "platform/scroll_actions.h"
#include "transmitter/core/video_source_control.h"

namespace mosaic {

PositionBar::PositionBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setTickPosition(QSlider::NoTicks);
  setSingleStep(1);
  setLength(100);  // a new bar has the range 0..100
  connect(this, &QSlider::actionTriggered, this, &PositionBar::onAction);
  connect(this, &QSlider::sliderMoved, this, &PositionBar::onThumbMoved);
  connect(this, &QSlider::sliderReleased, this, &PositionBar::onReleased);
}

void PositionBar::setLength(std::int32_t length) {
  const int maximum = low16(length);
  setRange(0, maximum);
  setPageStep(std::max(1, maximum / 5));  // a fifth of the bar, as a trackbar pages
}

void PositionBar::setPosition(std::int32_t position) { setValue(position); }

void PositionBar::onAction(int action) {
  // Qt has already moved the thumb when it reports an action, as a trackbar has.
  if (const auto code = scrollCodeOfAction(action, isSliderDown()))
    emit scrolled(*code, sliderPosition());
}

void PositionBar::onThumbMoved(int position) { emit scrolled(ScrollCode::ThumbTrack, position); }

void PositionBar::onReleased() {
  emit scrolled(ScrollCode::ThumbPosition, sliderPosition());
  emit scrolled(ScrollCode::EndTrack, sliderPosition());
}

}  // namespace mosaic
