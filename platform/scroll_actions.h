#pragma once
// Qt's slider actions read as scroll codes, for every slider and scroll bar of the programs.

#include "platform/scroll_code.h"

#include <optional>

namespace mosaic {

// The code for one of Qt's slider actions (QAbstractSlider::SliderAction). A move while the thumb
// is held is a thumb track, which arrives through the slider's own move signal, so it gives none
// here; a move without the thumb held (the wheel) counts as a line step.
std::optional<ScrollCode> scrollCodeOfAction(int qtAction, bool thumbHeld);

}  // namespace mosaic
