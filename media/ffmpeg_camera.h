#pragma once
// A camera read through FFmpeg's capture devices (video4linux2 on Linux; tests use the lavfi
// test sources through the same code). A reader thread opens the device, so that probing it never
// holds up the window, then takes every frame the device delivers so that none piles up, and
// converts one only when the preview asks for it; the finished picture is handed to the
// user-interface thread, where the preview handler runs.

#include "media/camera_source.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace mosaic {

// Where a camera comes from: an FFmpeg input format and the device names to try in order.
struct CaptureBackend {
  std::string inputFormat = "video4linux2";
  std::vector<std::string> candidates;  // empty: the capture devices found on the computer
};

class FfmpegCamera : public QObject, public CameraSource {
  Q_OBJECT
 public:
  explicit FfmpegCamera(CaptureBackend backend = {}, QObject* parent = nullptr);
  ~FfmpegCamera() override;

  bool connectDriver(const CameraSettings& settings) override;
  void disconnectDriver() override;
  // Returns at once, true when there is a device to try; the device is probed and opened on
  // the reader thread, and connected() holds once it is open and until it goes away. Called
  // again after a device failed to open or went away, it tries afresh.
  bool connected() const override { return opened_; }
  void startPreview(int intervalMs, PreviewHandler handler) override;
  std::vector<std::string> devices() const override;
  std::vector<FrameSize> frameSizes() const override;

  // The device that is connected now; empty when none.
  std::string connectedDevice() const;

 private:
  struct Input;
  // On the reader: opens the first candidate that works.
  bool openFirst(const std::vector<std::string>& candidates, const CameraSettings& settings);
  void readFrames();
  void requestPicture();
  void deliverPicture();

  CaptureBackend backend_;
  std::unique_ptr<Input> input_;
  std::string device_;       // guarded by pictureLock_
  FrameSize deliveredSize_;  // of the connected device's pictures; guarded by pictureLock_
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> wanted_{false};
  std::atomic<bool> opened_{false};
  std::atomic<bool> readerEnded_{false};  // the device did not open, or it went away
  mutable std::mutex pictureLock_;
  QImage finished_;  // guarded by pictureLock_
  QTimer previewTimer_;
  PreviewHandler handler_;
};

}  // namespace mosaic
