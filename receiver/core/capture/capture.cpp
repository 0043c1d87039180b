#include "receiver/core/capture/capture.h"

#include <utility>

namespace mosaic {

Capture::Capture(AudioInput& device, ChainHandler handler)
    : device_(device), handler_(std::move(handler)) {}

Capture::~Capture() { stop(); }

CaptureBuffer& Capture::bufferRef(int bufferId) {
  return bufferId == kSecondBufferId ? second_ : first_;
}

const CaptureBuffer& Capture::buffer(int bufferId) const {
  return bufferId == kSecondBufferId ? second_ : first_;
}

bool Capture::start() {
  if (recording_) return true;
  if (!device_.open(kRxSampleRateHz, [this](int id) { onBufferFilled(id); })) return false;
  // Every start is a fresh one: buffer 1 completes first.
  selector_ = 1;
  device_.queue(kFirstBufferId, first_.samples.data(), kCaptureSamples);
  device_.queue(kSecondBufferId, second_.samples.data(), kCaptureSamples);
  recording_ = true;
  device_.start();
  return true;
}

void Capture::stop() {
  if (!recording_) return;
  recording_ = false;
  device_.reset();
  device_.close();
}

void Capture::onBufferFilled(int bufferId) {
  if (!recording_) return;  // a notification that was on its way when capture stopped
  // The buffers complete in the order they were queued, so the selector names the completed
  // one; the buffer that goes back to the device is the one the device reported.
  const CaptureBuffer& completed = selector_ > 0 ? first_ : second_;
  bool handedBack = false;
  auto handBack = [&] {
    if (handedBack) return;
    handedBack = true;
    if (recording_) {
      CaptureBuffer& returned = bufferRef(bufferId);
      device_.queue(bufferId, returned.samples.data(), kCaptureSamples);
    }
    selector_ = -selector_;
  };
  handler_(completed.samples.data(), handBack);
  handBack();  // a chain that forgot it must not starve the device
}

}  // namespace mosaic
