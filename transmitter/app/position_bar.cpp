#include "transmitter/app/position_bar.h"

#include "transmitter/app/command_ids.h"

namespace mosaic {

PositionBar::PositionBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setTickPosition(QSlider::NoTicks);
  setSingleStep(1);
  setLength(100);  // a new bar has the range 0..100
  connect(this, &QSlider::actionTriggered, this, &PositionBar::onAction);
  connect(this, &QSlider::sliderReleased, this, &PositionBar::onReleased);
}

void PositionBar::setLength(std::int32_t length) {
  const int maximum = static_cast<int>(static_cast<std::uint32_t>(length) & 0xFFFFu);
  setRange(0, maximum);
  setPageStep(std::max(1, maximum / 5));  // a fifth of the bar, as a trackbar pages
}

void PositionBar::setPosition(std::int32_t position) { setValue(position); }

void PositionBar::onAction(int action) {
  // Qt has already moved the thumb when it reports an action, as a trackbar has.
  switch (action) {
    case SliderSingleStepSub:
      emit scrolled(kLineUp, sliderPosition());
      break;
    case SliderSingleStepAdd:
      emit scrolled(kLineDown, sliderPosition());
      break;
    case SliderPageStepSub:
      emit scrolled(kPageUp, sliderPosition());
      break;
    case SliderPageStepAdd:
      emit scrolled(kPageDown, sliderPosition());
      break;
    case SliderToMinimum:
      emit scrolled(kTop, sliderPosition());
      break;
    case SliderToMaximum:
      emit scrolled(kBottom, sliderPosition());
      break;
    case SliderMove:
      emit scrolled(kThumbTrack, sliderPosition());
      break;
    default:
      break;
  }
}

void PositionBar::onReleased() {
  emit scrolled(kThumbPosition, sliderPosition());
  emit scrolled(kEndTrack, sliderPosition());
}

}  // namespace mosaic
