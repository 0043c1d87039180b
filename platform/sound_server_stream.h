#pragma once
// What the sound output and the sound input share: one stream on the sound server (a
// PulseStream, on a client thread of its own), the device it is to use, and the way its reports
// reach the thread that owns it. Each report becomes a queued call on the owner's thread, where
// it is dropped if the stream has been closed since, so nothing of an old stream reaches its
// owner. A stream that the server ends, or whose position stands still for 3 s while it should
// move, is reported lost once.

#include "platform/hand_over_clock.h"
#include "platform/pulse_stream.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace mosaic {

class SoundServerStream {
 public:
  using Clock = std::chrono::steady_clock;
  using Lost = std::function<void(const std::string& why)>;

  // Which way the stream runs and how the server sees it.
  struct Kind {
    SoundDirection direction;
    double serverBufferSeconds;  // see PulseStream::Setup::bufferSeconds
    int tickMs;                  // how often the position is looked at
    const char* clientName;
    const char* streamName;
  };

  // What the direction does on the client thread. `moving` says whether the position should
  // move now (empty: always); `tick` gets the position after every look.
  struct Handlers {
    PulseStream::Fill fill;
    PulseStream::Take take;
    PulseStream::Tick tick;
    std::function<bool()> moving;
  };

  // Reports run on the thread of `owner`, which holds this stream: they die with it.
  SoundServerStream(QObject& owner, Kind kind) : owner_(owner), kind_(kind) {}
  ~SoundServerStream() { close(); }
  SoundServerStream(const SoundServerStream&) = delete;
  SoundServerStream& operator=(const SoundServerStream&) = delete;

  // The device that the next open() takes, by the server's name; empty: the default device.
  void useDevice(const std::string& id) { device_ = id; }
  // Why the last open() failed, in the operator's words.
  const std::string& openError() const { return openError_; }
  // Runs on the owner's thread when an open stream is lost (see above).
  void setLostHandler(Lost onLost) { onLost_ = std::move(onLost); }
  // From a buffer's end (played, or filled) to its report's handling (for probes).
  const HandOverClock& handOver() const { return handOver_; }

  // On the owner's thread. Connects a new stream; false, with openError() set, when the server
  // or the device refuses.
  bool open(int sampleRateHz, Handlers handlers);
  bool isOpen() const { return pulse_.isOpen(); }
  // Reports reach the owner from now on, until close().
  void deliverReports() { delivering_ = true; }
  bool delivering() const { return delivering_; }
  // Stops the stream; reports posted until now are dropped.
  void close();
  // Playback: new samples are waiting.
  void fillNow() { pulse_.fillNow(); }

  // Any thread: runs `report` on the owner's thread unless the stream is closed by then.
  // `finishedAt`: when the buffer that it reports ended.
  void post(std::function<void()> report, Clock::time_point finishedAt);

 private:
  // On the client thread.
  void onTick(std::int64_t position);
  void reportLost(const std::string& why);

  QObject& owner_;
  Kind kind_;
  std::string device_;
  std::string openError_;
  Lost onLost_;
  bool delivering_ = false;
  // Counts closings, so that a report posted before one is recognised and dropped.
  std::atomic<unsigned> generation_{0};
  HandOverClock handOver_;
  Handlers handlers_;
  // Client thread only, from each opening on.
  bool lostReported_ = false;
  std::int64_t lastPosition_ = 0;
  Clock::time_point lastMoved_;
  PulseStream pulse_;
};

}  // namespace mosaic
