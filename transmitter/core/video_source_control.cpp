#include "transmitter/core/video_source_control.h"

#include <algorithm>
#include <utility>

namespace mosaic {

void VideoSourceControl::fileOpened(std::string fileName, std::int32_t length) {
  state_.fileName = std::move(fileName);
  state_.length = length;
  state_.position = 0;
  state_.stepping = false;
  leaveCamera();
}

void VideoSourceControl::leaveCamera() {
  state_.cameraMode = false;
  state_.cameraWanted = false;
  state_.cameraSilent = false;
  state_.cameraNote.clear();
}

bool VideoSourceControl::selectCamera() {
  const bool entering = !state_.cameraMode;
  state_.cameraMode = true;
  state_.cameraWanted = false;
  return entering;
}

CameraChoice VideoSourceControl::chooseCamera(const std::vector<std::string>& found,
                                              const std::string& chosen) {
  if (found.empty()) {
    // Nothing to show live: the file goes on being sent and is not passed off as the camera.
    leaveCamera();
    state_.cameraWanted = true;
    state_.cameraDevice.clear();
    state_.cameraNote =
        chosen.empty() ? "No camera found" : "No camera found (" + chosen + " is not connected)";
    return {};
  }
  const bool chosenThere = std::find(found.begin(), found.end(), chosen) != found.end();
  state_.cameraDevice = chosenThere ? chosen : std::string();
  state_.cameraNote = chosen.empty() || chosenThere
                          ? std::string()
                          : "Camera " + chosen + " not found: showing the first camera that opens";
  return {true, selectCamera()};
}

void VideoSourceControl::cameraDeviceChosen(std::string device) {
  state_.cameraDevice = std::move(device);
  state_.cameraNote.clear();
}

void VideoSourceControl::cameraConnecting() {
  if (state_.cameraSilent) state_.cameraNote.clear();
  state_.cameraSilent = false;
  state_.cameraPictures = false;
}

bool VideoSourceControl::cameraPicture() {
  state_.cameraPictures = true;
  if (!state_.cameraSilent) return false;
  state_.cameraSilent = false;
  state_.cameraNote.clear();
  return true;
}

bool VideoSourceControl::cameraWatch() {
  if (!state_.cameraMode) return false;
  if (std::exchange(state_.cameraPictures, false) || state_.cameraSilent) return false;
  state_.cameraSilent = true;
  const std::string camera =
      state_.cameraDevice.empty() ? "the camera" : "camera " + state_.cameraDevice;
  state_.cameraNote = "No picture from " + camera + ": is another program using it?";
  return true;
}

std::string VideoSourceControl::cameraCaption() const {
  return state_.cameraSilent ? "No camera picture" : "Live video";
}

void VideoSourceControl::stepBy(std::int32_t frames) {
  state_.position += frames;
  if (state_.position > state_.length) state_.position = 0;
}

std::string VideoSourceControl::fileCaption() const {
  if (state_.fileName.empty()) return "AVI-to-NBTV";
  const auto slash = state_.fileName.find_last_of("/\\");
  return slash == std::string::npos ? state_.fileName : state_.fileName.substr(slash + 1);
}

}  // namespace mosaic
