#pragma once
// The sound output's own thread: a sink on the default playback device that pulls the queued
// buffers as fast as the sound server takes them, so that both queued frames sit with the sound
// server and a busy or stopped window never reaches the air. It watches the play position and
// tells when queued buffers have been played.

#include "platform/buffer_queue_device.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QAudioSink;

namespace mosaic {

class PlaybackWorker : public QObject {
  Q_OBJECT
 public:
  // Runs on the sound thread with the number of buffers that have just finished playing and
  // the moment that was noticed.
  using Played = std::function<void(int count, std::chrono::steady_clock::time_point at)>;

  // Runs on the sound thread, once per start, when playback stops by itself.
  using Lost = std::function<void(const QString& why)>;

  PlaybackWorker(const QAudioDevice& device, const QAudioFormat& format, Played onPlayed);
  void setLostHandler(Lost onLost) { onLost_ = std::move(onLost); }
  ~PlaybackWorker() override;

  // Everything below runs on the sound thread. The stream itself may be fed from any thread.
  BufferQueueDevice& stream() { return *stream_; }
  // Starts the sink; false when the device refuses.
  bool start();
  // New buffers were queued: the sink pulls again.
  void wake();
  // Stops the sink at once; queued buffers stay with the stream.
  void stop();

 private:
  void checkPlayed();
  void onStateChanged();
  void reportLost(const QString& why);

  QAudioDevice device_;
  QAudioFormat format_;
  Played onPlayed_;
  Lost onLost_;
  std::int64_t lastProcessedUs_ = -1;
  std::chrono::steady_clock::time_point lastProgress_;
  bool lostReported_ = false;
  BufferQueueDevice* stream_;  // a child: it moves to the sound thread with this worker
  std::unique_ptr<QAudioSink> sink_;
  QTimer poll_;
};

}  // namespace mosaic
