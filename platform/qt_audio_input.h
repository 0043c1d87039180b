#pragma once
// The receiver's sound input: the default or the named recording device of the sound server at
// the requested rate, mono, 16-bit. Recording runs on a sound thread of its own, which fills the
// queued buffers in order; each full buffer is reported with a queued call on the thread that
// opened the input. Every opening connects to the server afresh (see PulseStream).

#include "devices/audio_input.h"
#include "platform/hand_over_clock.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

class QThread;

namespace mosaic {

class CaptureWorker;

class QtAudioInput : public QObject, public AudioInput {
 public:
  explicit QtAudioInput(QObject* parent = nullptr);
  ~QtAudioInput() override;

  // Records from the input device with this id (the server's name for it, as QAudioDevice::id()
  // gives it) instead of the default one; empty: the default device.
  std::string openError() const override { return openError_; }
  void useDevice(const std::string& id) override { deviceId_ = id; }

  bool open(int sampleRateHz, BufferFilled onBufferFilled) override;
  void queue(int bufferId, std::int16_t* samples, int count) override;
  void start() override;
  void reset() override;
  void close() override;
  void setLostHandler(Lost onLost) override { onLost_ = std::move(onLost); }

  // From a buffer filled on the sound thread to its report on this thread (for probes).
  const HandOverClock& handOver() const { return handOver_; }
  // Samples lost because no buffer was free for too long.
  std::int64_t lostSamples() const;

 private:
  std::string openError_;  // why the last opening failed
  // Opens the device's stream on the sound thread; false when it cannot.
  bool startRecording();
  void deliverFilled(int bufferId, unsigned generation, std::chrono::steady_clock::time_point at);

  std::string deviceId_;
  std::unique_ptr<QThread> thread_;
  CaptureWorker* worker_ = nullptr;  // lives on thread_
  BufferFilled onBufferFilled_;
  bool recording_ = false;  // the stream is open
  bool running_ = false;    // and its buffers are reported
  // Counts resets, so that a report posted before a reset is recognised and dropped.
  std::atomic<unsigned> generation_{0};  // read on the sound thread
  HandOverClock handOver_;
  Lost onLost_;
};

}  // namespace mosaic
