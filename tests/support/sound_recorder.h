#pragma once
// Records a device of the sound server into memory from the moment it is made, as one unbroken
// stream on a client thread of its own, whatever the test's thread is doing meanwhile.

#include "platform/pulse_stream.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace mosaic::test {

class SoundRecorder {
 public:
  // `device`: the server's name of a source; empty: the default one. Asks for short blocks.
  explicit SoundRecorder(std::string device = {}, int sampleRateHz = 48000) {
    PulseStream::Setup setup;
    setup.direction = SoundDirection::Recording;
    setup.device = std::move(device);
    setup.sampleRateHz = sampleRateHz;
    setup.bufferSeconds = 0.02;
    setup.streamName = "test recorder";
    std::string error;
    recording_ = stream_.open(setup,
                              {nullptr,
                               [this](const std::int16_t* samples, std::size_t count) {
                                 std::lock_guard<std::mutex> hold(lock_);
                                 arrived_.insert(arrived_.end(), samples, samples + count);
                               },
                               nullptr, nullptr},
                              error);
  }
  bool recording() const { return recording_; }
  // Appends what has arrived since the last call to `into`.
  void takeInto(std::vector<std::int16_t>& into) {
    std::lock_guard<std::mutex> hold(lock_);
    into.insert(into.end(), arrived_.begin(), arrived_.end());
    arrived_.clear();
  }

 private:
  std::mutex lock_;
  std::vector<std::int16_t> arrived_;
  bool recording_ = false;
  PulseStream stream_;  // last: its thread ends before the rest goes
};

}  // namespace mosaic::test
