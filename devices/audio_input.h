#pragma once
// A sound input device as the receiver uses it: 16-bit mono buffers that the caller owns, filled
// in the order they were queued.

#include <cstdint>
#include <functional>
#include <string>

namespace mosaic {

class AudioInput {
 public:
  // Called on the user-interface thread each time a queued buffer is full, with its id.
  using BufferFilled = std::function<void(int bufferId)>;

  virtual ~AudioInput() = default;

  // Opens the recording device (the default one unless another is named) at `sampleRateHz`, mono,
  // signed 16-bit. Returns false when there is no usable device; no buffer is ever filled then.
  virtual bool open(int sampleRateHz, BufferFilled onBufferFilled) = 0;
  // Queues `count` samples of caller-owned memory behind the buffers already queued. The memory
  // must stay valid until the buffer is reported filled or the device is reset.
  virtual void queue(int bufferId, std::int16_t* samples, int count) = 0;
  // Starts recording into the queued buffers.
  virtual void start() = 0;
  // Stops recording at once and drops every queued buffer without notifications.
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
