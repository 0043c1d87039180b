#pragma once
// An in-memory sound input device that a test drives buffer by buffer.

#include "devices/audio_input.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace mosaic::fakes {

class FakeAudioInput : public AudioInput {
 public:
  struct Queued {
    int id;
    std::int16_t* samples;
    int count;
  };

  bool open(int sampleRateHz, BufferFilled onBufferFilled) override {
    calls.push_back("open");
    if (failOpen) return false;
    openRateHz = sampleRateHz;
    onFilled_ = std::move(onBufferFilled);
    opened = true;
    return true;
  }
  void queue(int bufferId, std::int16_t* samples, int count) override {
    calls.push_back("queue " + std::to_string(bufferId));
    queued.push_back({bufferId, samples, count});
  }
  void start() override {
    calls.push_back("start");
    started = true;
  }
  void reset() override {
    calls.push_back("reset");
    started = false;
    queued.clear();
  }
  void close() override {
    calls.push_back("close");
    opened = false;
  }

  // Records `samples` into the buffer at the head of the queue (at most its length; a shorter
  // recording leaves the rest of the buffer as it was) and reports it filled. False when no
  // buffer is queued or recording has not started: the samples are lost.
  bool record(const std::vector<std::int16_t>& samples) {
    if (!started || queued.empty()) return false;
    const Queued head = queued.front();
    queued.pop_front();
    std::copy_n(samples.begin(), std::min<std::size_t>(samples.size(), head.count), head.samples);
    onFilled_(head.id);
    return true;
  }

  void setLostHandler(Lost onLost) override { onLost_ = std::move(onLost); }
  void useDevice(const std::string& id) override { device = id; }
  // The stream stops by itself, as when the device is unplugged.
  void loseDevice(const std::string& why) {
    if (onLost_) onLost_(why);
  }

  // Reports a buffer as filled without it being queued: a notification arriving late.
  void notifyLate(int bufferId) { onFilled_(bufferId); }

  bool failOpen = false;
  bool opened = false;
  bool started = false;
  int openRateHz = 0;
  std::string device;  // named by useDevice(); empty: the default
  std::deque<Queued> queued;
  std::vector<std::string> calls;

 private:
  BufferFilled onFilled_;
  Lost onLost_;
};

}  // namespace mosaic::fakes
