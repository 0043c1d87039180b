// The transmitter window's remembered settings: shown at start through the same handling as the
// menus and controls, and collected at the end.

#include "transmitter/app/transmitter_window.h"

namespace mosaic {

namespace {
// The position bar carries 16-bit positions; a frame beyond them cannot be shown on it.
constexpr int kLargestBarPosition = 0xFFFF;
}  // namespace

void TransmitterWindow::applySettings(const TransmitterSettings& remembered) {
  if (remembered.cameraDevice) cameraSettings_.device = *remembered.cameraDevice;
  if (remembered.cameraFormat) {
    cameraSettings_.width = remembered.cameraFormat->width;
    cameraSettings_.height = remembered.cameraFormat->height;
  }
  if (remembered.videoFile) {
    openVideoFile(*remembered.videoFile);
    const int position = remembered.position.value_or(0);
    // A file opened on a worker is counted later: its frame is shown once it is.
    if (file_->opening())
      positionOnOpen_ = position;
    else
      showRememberedPosition(position);
  }
  if (remembered.crawlOn.value_or(false)) onCrawlToggle();
  if (remembered.cameraMode.value_or(false)) onSelectCamera();
}

TransmitterSettings TransmitterWindow::currentSettings() const {
  const VideoSourceState& state = source_.state();
  TransmitterSettings now;
  if (!state.fileName.empty()) {
    now.videoFile = QString::fromStdString(state.fileName);
    now.position = state.position;
  }
  // Asked for but absent this time: tried again at the next start, not forgotten.
  now.cameraMode = state.cameraMode || state.cameraWanted;
  now.crawlOn = crawl_.crawlOn;
  if (!cameraSettings_.device.empty()) now.cameraDevice = cameraSettings_.device;
  if (cameraSettings_.width > 0 && cameraSettings_.height > 0)
    now.cameraFormat = FrameSize{cameraSettings_.width, cameraSettings_.height};
  // The choice, not the device in use: a device that is away now is still the one wanted.
  if (soundKeeper_) now.soundDevice = soundKeeper_->chosen();
  return now;
}

void TransmitterWindow::onSoundDevice() {
  if (!soundKeeper_ || !services_.chooseSoundDevice) return;
  if (const auto chosen = services_.chooseSoundDevice(this, {soundKeeper_->chosen()}))
    soundKeeper_->choose(chosen->device);
}

void TransmitterWindow::showRememberedPosition(int position) {
  if (position <= 0 || position > source_.state().length || position > kLargestBarPosition) return;
  if (positionBar_)
    onPositionScroll(ScrollCode::ThumbTrack, position);
  else  // the camera came first: "&AVI" returns to this frame
    source_.seekTo(position);
}

}  // namespace mosaic
