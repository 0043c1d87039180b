#pragma once
// A stream of 9600 Hz samples in pieces of any size (a sound file read piece by piece, network
// datagrams) cut into capture buffers for the receiver engine, as a sound device would fill them.

#include "receiver/core/receiver_engine.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace mosaic {

class BufferFeeder {
 public:
  // Reads what the engine made of a buffer; false stops the feeding.
  using AfterBuffer = std::function<bool(const ReceiverEngine& engine)>;

  BufferFeeder(ReceiverEngine& engine, AfterBuffer afterBuffer);

  // Feeds samples; every 12288th completes a buffer. False as soon as `afterBuffer` returns false.
  bool feed(const std::int16_t* samples, std::size_t count);
  // Samples waiting for a full buffer.
  int leftOver() const { return filled_; }

 private:
  ReceiverEngine& engine_;
  AfterBuffer afterBuffer_;
  std::vector<std::int16_t> buffer_;
  int filled_ = 0;
};

}  // namespace mosaic
