#include "platform/scroll_actions.h"

#include <QAbstractSlider>

namespace mosaic {

std::optional<ScrollCode> scrollCodeOfAction(int qtAction, bool thumbHeld) {
  switch (qtAction) {
    case QAbstractSlider::SliderSingleStepSub:
      return ScrollCode::LineUp;
    case QAbstractSlider::SliderSingleStepAdd:
      return ScrollCode::LineDown;
    case QAbstractSlider::SliderPageStepSub:
      return ScrollCode::PageUp;
    case QAbstractSlider::SliderPageStepAdd:
      return ScrollCode::PageDown;
    case QAbstractSlider::SliderToMinimum:
      return ScrollCode::Top;
    case QAbstractSlider::SliderToMaximum:
      return ScrollCode::Bottom;
    case QAbstractSlider::SliderMove:
      if (thumbHeld) return std::nullopt;
      return ScrollCode::LineDown;
    default:
      return std::nullopt;
  }
}

}  // namespace mosaic
