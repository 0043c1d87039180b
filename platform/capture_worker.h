#pragma once
// The sound input's own thread: the recording device's data is read here as it arrives and
// goes straight into the queued capture buffers (or their backlog), whatever the window's
// thread is doing.

#include "platform/capture_buffers.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QAudioSource;
class QIODevice;

namespace mosaic {

class CaptureWorker : public QObject {
  Q_OBJECT
 public:
  // Runs with the id of each buffer that has just been filled and the moment it was, on
  // whichever thread filled it (the sound thread, or the one that queued the buffer).
  using Filled = std::function<void(int bufferId, std::chrono::steady_clock::time_point at)>;

  // Runs on the sound thread, once per start, when recording stops by itself.
  using Lost = std::function<void(const QString& why)>;

  CaptureWorker(const QAudioDevice& device, const QAudioFormat& format, Filled onFilled);
  void setLostHandler(Lost onLost) { onLost_ = std::move(onLost); }
  ~CaptureWorker() override;

  // Any thread.
  void queue(int bufferId, std::int16_t* samples, int count);
  void clearBuffers();
  std::int64_t lostSamples() const { return buffers_.lost(); }

  // On the sound thread: start recording (false when the device refuses) and stop.
  bool start();
  void stop();

 private:
  void onDataReady();
  void onStateChanged();
  void checkArriving();
  void reportLost(const QString& why);
  void report(const std::vector<int>& filled);

  QAudioDevice device_;
  QAudioFormat format_;
  Filled onFilled_;
  Lost onLost_;
  QTimer watch_;
  std::chrono::steady_clock::time_point lastData_;
  bool lostReported_ = false;
  CaptureBuffers buffers_;
  std::unique_ptr<QAudioSource> source_;
  // The source deletes its stream when the sound server goes away; the pointer then clears.
  QPointer<QIODevice> stream_;
  // An odd byte left over from a read, waiting for its partner.
  bool haveOddByte_ = false;
  char oddByte_ = 0;
};

}  // namespace mosaic
