#pragma once
// The sound output's own thread: a stream on the playback device that takes the queued buffers
// as fast as the sound server wants them, so that both queued frames sit with the sound server
// and a busy or stopped window never reaches the air. It watches the play position and tells
// when queued buffers have been played.

#include "platform/buffer_queue_device.h"
#include "platform/pulse_stream.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <string>

namespace mosaic {

class PlaybackWorker : public QObject {
  Q_OBJECT
 public:
  // Runs on the sound thread with the number of buffers that have just finished playing and
  // the moment that was noticed.
  using Played = std::function<void(int count, std::chrono::steady_clock::time_point at)>;

  // Runs on the sound thread, once per start, when playback stops by itself.
  using Lost = std::function<void(const QString& why)>;

  // `device`: the server's name for it; empty for the default device.
  PlaybackWorker(std::string device, int sampleRateHz, Played onPlayed);
  void setLostHandler(Lost onLost) { onLost_ = std::move(onLost); }
  ~PlaybackWorker() override;

  // Everything below runs on the sound thread. The stream itself may be fed from any thread.
  BufferQueueDevice& stream() { return *stream_; }
  // Starts the stream; false when the server or the device refuses.
  bool start();
  // Why the last start() failed, in the operator's words.
  const std::string& startError() const { return startError_; }
  // New buffers were queued: the server gets what it has room for.
  void wake();
  // Stops the stream at once; queued buffers stay with the queue.
  void stop();

 private:
  std::string startError_;
  void checkPlayed();
  void reportLost(const QString& why);

  std::string device_;
  int sampleRateHz_;
  Played onPlayed_;
  Lost onLost_;
  std::int64_t lastPlayed_ = -1;
  std::chrono::steady_clock::time_point lastProgress_;
  bool lostReported_ = false;
  BufferQueueDevice* stream_;  // a child: it moves to the sound thread with this worker
  PulseStream sink_;
  QTimer poll_;
};

}  // namespace mosaic
