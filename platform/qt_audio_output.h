#pragma once
// The transmitter's sound output over Qt Multimedia: queued 16-bit mono buffers played back to
// back on the default or the named playback device. The sink lives on a sound thread of its own, so
// the window's thread only queues buffers; each played buffer is returned with a queued call on the
// thread that opened the output.

#include "platform/hand_over_clock.h"
#include "transmitter/core/audio_output.h"

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
  void useDevice(const std::string& id) override { deviceId_ = id; }

  // From a buffer's last sample played to its return on this thread (for probes).
  const HandOverClock& handOver() const { return handOver_; }

 private:
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
