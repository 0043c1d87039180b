#pragma once
// What the transmitter shows in its video area and how the operator steers it: a video file,
// stopped or stepped once a second, moved with the position bar; or the camera, after which
// "&AVI" returns to the file where it was left. This decides modes and positions only; the
// window opens files, seeks, shows pictures and runs the step timer as told.

#include <cstdint>
#include <string>
#include <vector>

namespace mosaic {

// Positions and lengths travel to and from the position bar as their low 16 bits.
inline std::int32_t low16(std::int64_t value) { return static_cast<std::int32_t>(value & 0xFFFF); }

struct VideoSourceState {
  std::string fileName;       // full path of the file last chosen with "Open"
  std::int32_t position = 0;  // frame index shown in file mode
  std::int32_t length = 0;    // frame count of the file when it was opened
  bool stepping = false;      // the one-second steps are on
  bool cameraMode = false;    // the camera is the source
  // The operator asked for the camera but none was found: the file stayed the source. The
  // choice is kept, so that the camera is tried again at the next start.
  bool cameraWanted = false;
  std::string cameraDevice;     // the device camera mode connects; empty: the first that opens
  std::string cameraNote;       // what the window says about the camera; empty: nothing
  bool cameraSilent = false;    // camera mode, but the camera has sent no picture for a while
  bool cameraPictures = false;  // a picture came since the last watch
};

// What "&Camera" found to connect.
struct CameraChoice {
  bool available = false;  // a camera to connect, in camera mode; false: the file stays
  bool entering = false;   // camera mode begins now (a second "&Camera" only reconnects)
};

class VideoSourceControl {
 public:
  const VideoSourceState& state() const { return state_; }

  // "Open" chose `fileName`, which has `length` frames (0 when it cannot be shown): file mode at
  // the first frame, stopped.
  void fileOpened(std::string fileName, std::int32_t length);
  // The file is opened and counted on a worker: its frame count, once known.
  void lengthKnown(std::int32_t length) { state_.length = length; }
  // "&AVI": file mode with the position and stepping the file had.
  void selectFile() { leaveCamera(); }
  // "&Camera": true when this leaves file mode (a second "&Camera" only reconnects). The
  // position and stepping stay for the return to the file.
  bool selectCamera();
  // "&Camera" with the capture devices `found` now and the one the operator chose earlier
  // (`chosen`, empty: none). With none found the file stays the source, with its picture and
  // caption, and the window says so; a chosen device that is missing is named, and the first
  // camera that opens stands in for it (the choice itself is kept).
  CameraChoice chooseCamera(const std::vector<std::string>& found, const std::string& chosen);
  // "Video &source" chose `device`.
  void cameraDeviceChosen(std::string device);
  // The camera is (re)connected: its pictures are awaited afresh.
  void cameraConnecting();
  // The camera's preview delivered a picture. True when this ends a silence.
  bool cameraPicture();
  // The watch, every few seconds in camera mode: true when it finds no picture since its last
  // look and so a silence begins (a device that lists but does not open, one unplugged, one
  // that another program holds).
  bool cameraWatch();
  // The caption of camera mode: live video only while the camera sends it.
  std::string cameraCaption() const;
  // The play/pause button: steps on or off.
  void togglePlayPause() { state_.stepping = !state_.stepping; }
  // Moves `frames` (1 or more) positions on, as the step timer does once a second; past the
  // position equal to the length (which shows the last frame again) it starts over at 0.
  void stepBy(std::int32_t frames);
  // Goes to the position the bar gives, or a remembered one: its low 16 bits, as the bar carries.
  void seekTo(std::int64_t position) { state_.position = low16(position); }

  // Whether the step timer runs now.
  bool stepTimerRuns() const { return state_.stepping && !state_.cameraMode; }
  // The caption of file mode: the file's name without its folder, or "AVI-to-NBTV" before any
  // file was chosen.
  std::string fileCaption() const;

 private:
  // File mode, with nothing to say about the camera.
  void leaveCamera();

  VideoSourceState state_;
};

}  // namespace mosaic
