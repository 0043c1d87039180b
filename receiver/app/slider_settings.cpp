#include "receiver/app/slider_settings.h"

#include "receiver/app/control_ids.h"

#include "receiver/core/slider_scales.h"

namespace mosaic {

using namespace rx;

const std::array<SliderLayout, 6> kSliderLayouts = {{
    {kCoarseTuneId, false, QRect(255, 195, 192, 27), kSliderMaximum},
    {kFineTuneId, false, QRect(0, 195, 192, 27), kSliderMaximum},
    {kBrightnessId, true, QRect(315, 80, 24, 85), kLevelMaximum},
    {kContrastId, true, QRect(365, 80, 25, 85), kLevelMaximum},
    {kBalanceId, false, QRect(0, 255, 192, 27), kSliderMaximum},
    {kSaturationId, false, QRect(0, 315, 192, 27), kSliderMaximum},
}};

bool applySliderPosition(int id, int position, DemodSettings& demod, DisplaySettings& display) {
  switch (id) {
    case kCoarseTuneId:
      demod.coarseHz = tuningAt(position, kCoarseStepsPerHz);
      return true;
    case kFineTuneId:
      demod.fineHz = tuningAt(position, kFineStepsPerHz);
      return true;
    case kBalanceId:
      demod.balance = balanceAt(position);
      return true;
    case kSaturationId:
      display.saturation = position;
      return true;
    case kBrightnessId:
      display.brightness = levelAt(position);
      return true;
    case kContrastId:
      display.contrast = levelAt(position);
      return true;
    default:
      return false;
  }
}

int sliderPosition(int id, const DemodSettings& demod, const DisplaySettings& display) {
  switch (id) {
    case kCoarseTuneId:
      return tuningPosition(demod.coarseHz, kCoarseStepsPerHz);
    case kFineTuneId:
      return tuningPosition(demod.fineHz, kFineStepsPerHz);
    case kBalanceId:
      return balancePosition(demod.balance);
    case kSaturationId:
      return display.saturation;
    case kBrightnessId:
      return levelPosition(display.brightness);
    case kContrastId:
      return levelPosition(display.contrast);
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
