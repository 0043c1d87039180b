#include "receiver/core/buffer_feeder.h"

#include "signal/timing.h"

#include <algorithm>
#include <utility>

namespace mosaic {

BufferFeeder::BufferFeeder(ReceiverEngine& engine, AfterBuffer afterBuffer)
    : engine_(engine), afterBuffer_(std::move(afterBuffer)), buffer_(kCaptureSamples) {}

bool BufferFeeder::feed(const std::int16_t* samples, std::size_t count) {
  while (count > 0) {
    const std::size_t take =
        std::min<std::size_t>(count, static_cast<std::size_t>(kCaptureSamples - filled_));
    std::copy_n(samples, take, buffer_.begin() + filled_);
    filled_ += static_cast<int>(take);
    samples += take;
    count -= take;
    if (filled_ == kCaptureSamples) {
      filled_ = 0;
      engine_.onBufferComplete(buffer_.data());
      if (afterBuffer_ && !afterBuffer_(engine_)) return false;
    }
  }
  return true;
}

}  // namespace mosaic
