#pragma once
// A sound output device as the transmitter uses it: 16-bit mono buffers queued back to back.

#include <cstdint>
#include <functional>
#include <string>

namespace mosaic {

class AudioOutput {
 public:
  // Called on the user-interface thread each time the device has finished with a queued buffer.
  using BufferDone = std::function<void()>;

  virtual ~AudioOutput() = default;

  // Opens the playback device (the default one unless another is named) at `sampleRateHz`, mono,
  // signed 16-bit. Returns false when there is no usable device; nothing is played then and no
  // buffer ever comes back.
  virtual bool open(int sampleRateHz, BufferDone onBufferDone) = 0;
  // Queues `count` samples behind the buffers already queued; they are played without a gap.
  // The samples must stay valid and unchanged until the buffer comes back.
  virtual void write(const std::int16_t* samples, int count) = 0;
  // Stops playback at once and drops every queued buffer without notifications.
  virtual void reset() = 0;
  // Releases the device.
  virtual void close() = 0;
  // Called on the user-interface thread, with the reason, when an open stream stops by itself
  // (the device went away, the sound server ended). Nothing more comes from the stream then;
  // the owner closes it and may open the device again.
  using Lost = std::function<void(const std::string& why)>;
  virtual void setLostHandler(Lost onLost) { (void)onLost; }
  // Why the last open() failed, in the operator's words; empty when that is not known.
  virtual std::string openError() const { return {}; }
  // The device that the next open() takes, by the sound system's id; empty: the default device.
  virtual void useDevice(const std::string& id) { (void)id; }
};

}  // namespace mosaic
