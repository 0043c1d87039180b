#pragma once
// The transmitter's sound output: queued 16-bit mono buffers played back to back on the sound
// server's default or the named playback device. The stream is run from a sound thread of its own,
// so the window's thread only queues buffers; each played buffer is returned with a queued call on
// the thread that opened the output. Every opening connects to the server afresh (see PulseStream).

#include "devices/audio_output.h"
#include "platform/hand_over_clock.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

class QThread;

namespace mosaic {

class PlaybackWorker;

class QtAudioOutput : public QObject, public AudioOutput {
  Q_OBJECT
 public:
  explicit QtAudioOutput(QObject* parent = nullptr);
  ~QtAudioOutput() override;

  bool open(int sampleRateHz, BufferDone onBufferDone) override;
  void write(const std::int16_t* samples, int count) override;
  void reset() override;
  void close() override;
  void setLostHandler(Lost onLost) override { onLost_ = std::move(onLost); }
  // Plays to the output device with this id (the server's name for it) instead of the default
  // one; empty: the default device.
  std::string openError() const override { return openError_; }
  void useDevice(const std::string& id) override { deviceId_ = id; }

  // From a buffer's last sample played to its return on this thread (for probes).
  const HandOverClock& handOver() const { return handOver_; }

 private:
  std::string openError_;  // why the last opening failed
  void deliverPlayed(unsigned generation, std::chrono::steady_clock::time_point at);

  std::string deviceId_;
  std::unique_ptr<QThread> thread_;
  PlaybackWorker* worker_ = nullptr;  // lives on thread_
  BufferDone onBufferDone_;
  bool running_ = false;
  // Counts resets, so that a report posted before a reset is recognised and dropped.
  unsigned generation_ = 0;
  HandOverClock handOver_;
  Lost onLost_;
};

}  // namespace mosaic
