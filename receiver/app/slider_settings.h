#pragma once
// The six sliders: where they sit, their ranges, how a slider notification is read, and how a
// position sets the receiver's settings.

#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/picture/display_settings.h"

#include <QRect>

#include <array>
#include <optional>

namespace mosaic {

// The notification codes of a slider, in the numbering the receiver's handling is written for.
enum class SliderCode {
  LineUp = 0,
  LineDown = 1,
  PageUp = 2,
  PageDown = 3,
  ThumbPosition = 4,
  ThumbTrack = 5,
  Top = 6,
  Bottom = 7,
  EndTrack = 8,
};

struct SliderLayout {
  int id;
  bool vertical;
  QRect pixels;
  int maximum;  // the range starts at 0
};

// The sliders in the order they are made, placed in pixels.
extern const std::array<SliderLayout, 6> kSliderLayouts;

// The code for one of Qt's slider actions (QAbstractSlider::SliderAction). A thumb move while
// the thumb is held is a thumb track, which arrives through the slider's own move signal, so
// it gives none here; a move without the thumb held (the wheel) counts as a line step.
std::optional<SliderCode> sliderCode(int qtAction, bool thumbHeld);

// Whether a notification with this code changes the setting (thumb position and end of
// tracking do not).
bool changesSetting(SliderCode code);

// Sets what slider `id` controls from its position. False for an id that is no slider.
bool applySliderPosition(int id, int position, DemodSettings& demod, DisplaySettings& display);

// The position of slider `id` that shows the current settings.
int sliderPosition(int id, const DemodSettings& demod, const DisplaySettings& display);

bool isHorizontalSlider(int id);

}  // namespace mosaic
