#pragma once
// Continuous capture into two alternating buffers of 1.28 s, handed to the receive chain one at
// a time and queued again as early as the chain allows.

#include "devices/audio_input.h"
#include "signal/timing.h"

#include <array>
#include <cstdint>
#include <functional>

namespace mosaic {

struct CaptureBuffer {
  std::array<std::int16_t, kCaptureSamples> samples{};
};

inline constexpr int kFirstBufferId = 1;
inline constexpr int kSecondBufferId = 2;

class Capture {
 public:
  // Runs the receive chain on a completed buffer. It must call `handBack` once, as soon as it
  // no longer needs the samples (after the transforms), so the device can fill the buffer again.
  using ChainHandler =
      std::function<void(const std::int16_t* samples, const std::function<void()>& handBack)>;

  Capture(AudioInput& device, ChainHandler handler);
  ~Capture();
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  // Opens the device at 9600 Hz, queues buffer 1 then buffer 2 and starts recording. Returns
  // false when the device cannot be opened: the program goes on, silent.
  bool start();
  // Stops recording (queued buffers are dropped unprocessed) and releases the device.
  void stop();

  // +1 when the next completed buffer is buffer 1, -1 when it is buffer 2.
  int selector() const { return selector_; }
  const CaptureBuffer& buffer(int bufferId) const;

 private:
  void onBufferFilled(int bufferId);
  CaptureBuffer& bufferRef(int bufferId);

  AudioInput& device_;
  ChainHandler handler_;
  CaptureBuffer first_;
  CaptureBuffer second_;
  int selector_ = 1;
  bool recording_ = false;
};

}  // namespace mosaic
