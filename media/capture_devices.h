#pragma once
// The video capture devices of this computer (Linux: /dev/video*) and the frame sizes a
// device offers.

#include "media/camera_source.h"

#include <string>
#include <vector>

namespace mosaic {

// Device paths in name order; empty where there are none.
std::vector<std::string> listCaptureDevices();

// The distinct frame sizes `device` offers for capture, largest first; empty if unknown.
std::vector<FrameSize> captureFrameSizes(const std::string& device);

}  // namespace mosaic
