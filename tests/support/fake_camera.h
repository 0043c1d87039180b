#pragma once
// A camera for window tests: logs what the window asks of it, in order, and shows what the test
// gives.

#include "media/camera_source.h"

#include <string>
#include <vector>

namespace mosaic::fakes {

struct CameraLog {
  int made = 0, connects = 0, disconnects = 0, destroyed = 0, previewStarts = 0;
  int previewIntervalMs = 0;
  CameraSettings lastSettings;
  std::vector<std::string> calls;  // "made", "connect", "disconnect", "preview", "destroyed"
  std::vector<std::string> devices{"/dev/video0", "/dev/video1"};  // what the computer lists now
};

class FakeCamera : public CameraSource {
 public:
  // `present`: whether connecting succeeds.
  FakeCamera(CameraLog& log, bool present) : log_(log), present_(present) {
    ++log_.made;
    log_.calls.push_back("made");
  }
  ~FakeCamera() override {
    ++log_.destroyed;
    log_.calls.push_back("destroyed");
  }

  bool connectDriver(const CameraSettings& settings) override {
    ++log_.connects;
    log_.calls.push_back("connect");
    log_.lastSettings = settings;
    connected_ = present_;
    return connected_;
  }
  void disconnectDriver() override {
    ++log_.disconnects;
    log_.calls.push_back("disconnect");
    connected_ = false;
  }
  bool connected() const override { return connected_; }
  void startPreview(int intervalMs, PreviewHandler handler) override {
    ++log_.previewStarts;
    log_.calls.push_back("preview");
    log_.previewIntervalMs = intervalMs;
    handler_ = std::move(handler);
  }
  std::vector<std::string> devices() const override { return log_.devices; }
  std::vector<FrameSize> frameSizes() const override { return {{640, 480}, {320, 240}}; }

  // The device delivers a picture (only while connected, as a real one would).
  void deliver(const QImage& picture) {
    if (connected_ && handler_) handler_(picture);
  }

 private:
  CameraLog& log_;
  bool present_;
  bool connected_ = false;
  PreviewHandler handler_;
};

}  // namespace mosaic::fakes
