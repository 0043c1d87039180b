#include "transmitter/core/video_source_control.h"

#include <utility>

namespace mosaic {

void VideoSourceControl::fileOpened(std::string fileName, std::int32_t length) {
  state_.fileName = std::move(fileName);
  state_.length = length;
  state_.position = 0;
  state_.stepping = false;
  state_.cameraMode = false;
}

bool VideoSourceControl::selectCamera() {
  const bool entering = !state_.cameraMode;
  state_.cameraMode = true;
  return entering;
}

void VideoSourceControl::step() {
  state_.position += 1;
  if (state_.position > state_.length) state_.position = 0;
}

bool VideoSourceControl::scroll(ScrollCode code, int thumbPosition, int barPosition) {
  if (!movesPosition(code)) return false;
  state_.position = low16(code == ScrollCode::ThumbTrack ? thumbPosition : barPosition);
  return true;
}

std::string VideoSourceControl::fileCaption() const {
  if (state_.fileName.empty()) return "AVI-to-NBTV";
  const auto slash = state_.fileName.find_last_of("/\\");
  return slash == std::string::npos ? state_.fileName : state_.fileName.substr(slash + 1);
}

}  // namespace mosaic
