#pragma once
// The sound input's own thread: the recording device's data goes straight into the queued
// capture buffers (or their backlog) as it arrives, whatever the window's thread is doing.

#include "platform/capture_buffers.h"
#include "platform/pulse_stream.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

namespace mosaic {

class CaptureWorker : public QObject {
  Q_OBJECT
 public:
  // Runs with the id of each buffer that has just been filled and the moment it was, on
  // whichever thread filled it (the sound thread, or the one that queued the buffer).
  using Filled = std::function<void(int bufferId, std::chrono::steady_clock::time_point at)>;

  // Runs on the sound thread, once per start, when recording stops by itself.
  using Lost = std::function<void(const QString& why)>;

  // `device`: the server's name for it; empty for the default device.
  CaptureWorker(std::string device, int sampleRateHz, Filled onFilled);
  void setLostHandler(Lost onLost) { onLost_ = std::move(onLost); }
  ~CaptureWorker() override;

  // Any thread.
  void queue(int bufferId, std::int16_t* samples, int count);
  void clearBuffers();
  std::int64_t lostSamples() const { return buffers_.lost(); }

  // On the sound thread: start recording (false when the device refuses) and stop.
  bool start();
  // Why the last start() failed, in the operator's words.
  const std::string& startError() const { return startError_; }
  void stop();

 private:
  std::string startError_;
  void checkArriving();
  void reportLost(const QString& why);
  void report(const std::vector<int>& filled);

  std::string device_;
  int sampleRateHz_;
  Filled onFilled_;
  Lost onLost_;
  QTimer watch_;
  // When sound last arrived (steady clock ticks), written on the server's client thread.
  std::atomic<std::chrono::steady_clock::rep> lastData_{0};
  bool lostReported_ = false;
  CaptureBuffers buffers_;
  PulseStream source_;
};

}  // namespace mosaic
