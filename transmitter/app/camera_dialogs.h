#pragma once
// The dialogs behind "Video &source" (which capture device) and "Video &format" (which frame
// size). Each hands back the operator's choice, or nothing when cancelled.

#include "media/camera_source.h"

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace mosaic {

// Lets the operator pick one of `devices`; `current` is preselected.
std::optional<std::string> chooseCaptureDevice(QWidget* parent,
                                               const std::vector<std::string>& devices,
                                               const std::string& current);

// Lets the operator pick one of `sizes`; `current` is preselected.
std::optional<FrameSize> chooseFrameSize(QWidget* parent, const std::vector<FrameSize>& sizes,
                                         FrameSize current);

}  // namespace mosaic
