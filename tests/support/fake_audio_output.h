#pragma once
// An in-memory sound output for tests: records every call in order and what is queued, and a
// test returns buffers by calling finishOldest(), as the device would after playing them.

#include "devices/audio_output.h"

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace mosaic::fakes {

class FakeAudioOutput : public AudioOutput {
 public:
  bool available = true;  // false: open() fails as with no sound device
  int openCount = 0, resetCount = 0, closeCount = 0;
  int sampleRateHz = 0;
  std::deque<const std::int16_t*> queue;          // buffers queued and not yet returned
  std::vector<std::vector<std::int16_t>> played;  // copies of the buffers in the order queued
  std::vector<std::string> calls;                 // "open", "write", "reset", "close"
  std::string device;                             // named by useDevice(); empty: the default

  bool open(int rateHz, BufferDone onBufferDone) override {
    calls.push_back("open");
    ++openCount;
    if (!available) return false;
    sampleRateHz = rateHz;
    done_ = std::move(onBufferDone);
    return true;
  }
  void write(const std::int16_t* samples, int count) override {
    calls.push_back("write");
    queue.push_back(samples);
    played.emplace_back(samples, samples + count);
  }
  void reset() override {
    calls.push_back("reset");
    ++resetCount;
    queue.clear();
  }
  void close() override {
    calls.push_back("close");
    ++closeCount;
  }

  void setLostHandler(Lost onLost) override { onLost_ = std::move(onLost); }
  void useDevice(const std::string& id) override { device = id; }
  // The stream stops by itself, as when the sound server ends.
  void loseDevice(const std::string& why) {
    if (onLost_) onLost_(why);
  }

  // The device has played the oldest queued buffer: it leaves the queue and the owner is told.
  void finishOldest() {
    if (queue.empty()) return;
    queue.pop_front();
    if (done_) done_();
  }

 private:
  BufferDone done_;
  Lost onLost_;
};

}  // namespace mosaic::fakes
