#pragma once
// A camera as the transmitter uses it: connected to a capture device, it hands the window a
// fresh preview picture at the preview rate, on the user-interface thread.

#include <QImage>

#include <functional>
#include <string>
#include <vector>

namespace mosaic {

// The operator's choices from "Video &source" and "Video &format"; empty or 0 means the
// device's own default.
struct CameraSettings {
  std::string device;  // e.g. "/dev/video0"; empty: the first device that opens
  int width = 0;       // [px]
  int height = 0;      // [px]
};

struct FrameSize {
  int width = 0;
  int height = 0;
  bool operator==(const FrameSize&) const = default;
};

class CameraSource {
 public:
  using PreviewHandler = std::function<void(const QImage&)>;

  virtual ~CameraSource() = default;

  // Connects the capture device (keeps an existing connection); false when none opens.
  virtual bool connectDriver(const CameraSettings& settings) = 0;
  // Disconnects; no further pictures arrive.
  virtual void disconnectDriver() = 0;
  virtual bool connected() const = 0;
  // Hands a picture to `handler` every `intervalMs` while connected.
  virtual void startPreview(int intervalMs, PreviewHandler handler) = 0;

  // The capture devices found, for "Video &source".
  virtual std::vector<std::string> devices() const = 0;
  // The frame sizes the connected (or first) device offers, for "Video &format".
  virtual std::vector<FrameSize> frameSizes() const = 0;
};

}  // namespace mosaic
