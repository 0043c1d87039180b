// The transmitter window's camera mode: "&Camera" and the camera's two buttons. When no camera
// is found the file stays the source, captioned as the file, and the window says so.

#include "transmitter/app/command_ids.h"
#include "transmitter/app/transmitter_window.h"

namespace mosaic {

namespace {
constexpr int kPreviewIntervalMs = 1110;
// Long enough for a device to be probed and opened and for a few preview pictures.
constexpr int kCameraWatchMs = 4000;
}  // namespace

void TransmitterWindow::onSelectCamera() {
  // A camera in use lists the devices; otherwise a new one, kept if camera mode begins.
  std::unique_ptr<CameraSource> made = camera_ ? nullptr : services_.makeCamera();
  const CameraSource& lister = camera_ ? *camera_ : *made;
  const bool wasCameraMode = source_.state().cameraMode;
  const CameraChoice choice = source_.chooseCamera(lister.devices(), cameraSettings_.device);
  showCameraNote();
  if (!choice.available) {
    if (wasCameraMode) {
      leaveCameraMode();
      showFileControls();
    }
    showFileCaption();
    showSteppingState();
    return;
  }
  if (choice.entering) {
    destroyControl(kPositionBarId);
    destroyControl(kPlayPauseId);
    createCameraButtons();
    layOut(Fit::Growing);
    camera_ = std::move(made);
  }
  showSteppingState();
  reconnectCamera();
}

void TransmitterWindow::onCameraWatch() {
  if (source_.cameraWatch()) showCameraState();
}

void TransmitterWindow::showCameraState() {
  setWindowTitle(QString::fromStdString(source_.cameraCaption()));
  showCameraNote();
}

void TransmitterWindow::reconnectCamera() {
  if (!camera_) return;
  source_.cameraConnecting();
  showCameraState();
  if (!cameraWatch_) {
    cameraWatch_ = new QTimer(this);
    connect(cameraWatch_, &QTimer::timeout, this, &TransmitterWindow::onCameraWatch);
  }
  cameraWatch_->start(kCameraWatchMs);
  // The operator's frame size, on the chosen device or the one standing in for it.
  CameraSettings settings = cameraSettings_;
  settings.device = source_.state().cameraDevice;
  camera_->connectDriver(settings);
  camera_->startPreview(kPreviewIntervalMs, [this](const QImage& picture) {
    if (!source_.state().cameraMode) return;
    showSource(picture);
    if (source_.cameraPicture()) showCameraState();
  });
}

void TransmitterWindow::leaveCameraMode() {
  if (cameraWatch_) cameraWatch_->stop();
  if (camera_) camera_->disconnectDriver();
  camera_.reset();  // a disconnected camera has nothing more to show
  destroyControl(kVideoSourceId);
  destroyControl(kVideoFormatId);
}

void TransmitterWindow::onVideoSource() {
  if (!camera_ || !services_.chooseDevice) return;
  const auto device = services_.chooseDevice(this, camera_->devices(), cameraSettings_.device);
  if (!device) return;
  cameraSettings_.device = *device;
  source_.cameraDeviceChosen(*device);
  camera_->disconnectDriver();
  reconnectCamera();
}

void TransmitterWindow::onVideoFormat() {
  if (!camera_ || !services_.chooseFrameSize) return;
  const auto size = services_.chooseFrameSize(this, camera_->frameSizes(),
                                              {cameraSettings_.width, cameraSettings_.height});
  if (!size) return;
  cameraSettings_.width = size->width;
  cameraSettings_.height = size->height;
  camera_->disconnectDriver();
  reconnectCamera();
}

}  // namespace mosaic
