#include "receiver/app/slider_settings.h"

#include "receiver/app/control_ids.h"

#include <QAbstractSlider>

#include <cmath>

namespace mosaic {

using namespace rx;

const std::array<SliderLayout, 6> kSliderLayouts = {{
    {kCoarseTuneId, false, QRect(255, 195, 192, 27), 400},
    {kFineTuneId, false, QRect(0, 195, 192, 27), 400},
    {kBrightnessId, true, QRect(315, 80, 24, 85), 256},
    {kContrastId, true, QRect(365, 80, 25, 85), 256},
    {kBalanceId, false, QRect(0, 255, 192, 27), 400},
    {kSaturationId, false, QRect(0, 315, 192, 27), 400},
}};

std::optional<SliderCode> sliderCode(int qtAction, bool thumbHeld) {
  switch (qtAction) {
    case QAbstractSlider::SliderSingleStepSub:
      return SliderCode::LineUp;
    case QAbstractSlider::SliderSingleStepAdd:
      return SliderCode::LineDown;
    case QAbstractSlider::SliderPageStepSub:
      return SliderCode::PageUp;
    case QAbstractSlider::SliderPageStepAdd:
      return SliderCode::PageDown;
    case QAbstractSlider::SliderToMinimum:
      return SliderCode::Top;
    case QAbstractSlider::SliderToMaximum:
      return SliderCode::Bottom;
    case QAbstractSlider::SliderMove:
      if (thumbHeld) return std::nullopt;
      return SliderCode::LineDown;
    default:
      return std::nullopt;
  }
}

bool changesSetting(SliderCode code) {
  return code != SliderCode::ThumbPosition && code != SliderCode::EndTrack;
}

bool applySliderPosition(int id, int position, DemodSettings& demod, DisplaySettings& display) {
  switch (id) {
    case kCoarseTuneId:
      demod.coarseHz = static_cast<float>((position - 200) / 10.0L);
      return true;
    case kFineTuneId:
      demod.fineHz = static_cast<float>((position - 200) / 50.0L);
      return true;
    case kBalanceId:
      demod.balance = position - 200;
      return true;
    case kSaturationId:
      display.saturation = position;
      return true;
    case kBrightnessId:  // vertical: the top end is the highest value
      display.brightness = 256 - position;
      return true;
    case kContrastId:
      display.contrast = 256 - position;
      return true;
    default:
      return false;
  }
}

int sliderPosition(int id, const DemodSettings& demod, const DisplaySettings& display) {
  switch (id) {
    case kCoarseTuneId:
      return static_cast<int>(std::lround(demod.coarseHz * 10.0L)) + 200;
    case kFineTuneId:
      return static_cast<int>(std::lround(demod.fineHz * 50.0L)) + 200;
    case kBalanceId:
      return demod.balance + 200;
    case kSaturationId:
      return display.saturation;
    case kBrightnessId:
      return 256 - display.brightness;
    case kContrastId:
      return 256 - display.contrast;
    default:
      return 0;
  }
}

bool isHorizontalSlider(int id) {
  for (const auto& s : kSliderLayouts)
    if (s.id == id) return !s.vertical;
  return false;
}

}  // namespace mosaic
