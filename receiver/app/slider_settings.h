#pragma once
// The six sliders: where they sit, their ranges, and which setting each position stands for.

#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/picture/display_settings.h"

#include <QRect>

#include <array>

namespace mosaic {

struct SliderLayout {
  int id;
  bool vertical;
  QRect pixels;
  int maximum;  // the range starts at 0
};

// The sliders in the order they are made, placed in pixels.
extern const std::array<SliderLayout, 6> kSliderLayouts;

// Sets what slider `id` controls from its position. False for an id that is no slider.
bool applySliderPosition(int id, int position, DemodSettings& demod, DisplaySettings& display);

// The position of slider `id` that shows the current settings.
int sliderPosition(int id, const DemodSettings& demod, const DisplaySettings& display);

bool isHorizontalSlider(int id);

}  // namespace mosaic
