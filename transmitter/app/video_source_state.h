#pragma once
// What the transmitter window knows about its picture source.

#include <cstdint>
#include <string>

namespace mosaic {

struct VideoSourceState {
  std::string fileName;       // full path of the file last chosen with "Open"
  std::int32_t position = 0;  // frame index shown in file mode
  std::int32_t length = 0;    // frame count of the file when it was opened
  bool stepping = false;      // the one-second step timer runs
  bool cameraMode = false;    // the camera is the source
};

}  // namespace mosaic
