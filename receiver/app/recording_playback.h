#pragma once
// A recording played through the receiver at its own pace: a reader thread opens the file,
// brings it to 9600 Hz and keeps a few capture buffers ready; the window's thread takes one every
// 1.28 s, as a sound device would fill it.

#include "signal/timing.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mosaic {

class RecordingPlayback : public QObject {
 public:
  // Runs on the window's thread with each whole buffer of the recording.
  using BufferHandler = std::function<void(const std::int16_t* samples)>;
  // Runs on the window's thread once the recording has been played: `problem` is empty at its
  // end, otherwise it says why it could not be read further, or that it was too short to show
  // anything.
  using EndHandler = std::function<void(const std::string& problem)>;

  RecordingPlayback(BufferHandler onBuffer, EndHandler onEnd);
  ~RecordingPlayback() override;
  RecordingPlayback(const RecordingPlayback&) = delete;
  RecordingPlayback& operator=(const RecordingPlayback&) = delete;

  // Starts playing `path`, ending any recording being played without a call of the end handler.
  void start(const std::string& path);
  // Ends playing without a call of the end handler.
  void stop();
  bool playing() const { return timer_.isActive(); }

 private:
  void readRecording(const std::string& path);
  void playNextBuffer();

  BufferHandler onBuffer_;
  EndHandler onEnd_;
  QTimer timer_;
  std::thread reader_;
  std::vector<std::int16_t> buffer_ = std::vector<std::int16_t>(kCaptureSamples);
  std::string path_;
  int buffersPlayed_ = 0;

  // Shared with the reader thread.
  std::mutex mutex_;
  std::condition_variable room_;     // the reader waits here while enough is ready
  std::vector<std::int16_t> ready_;  // read and resampled, not yet played
  bool readToEnd_ = false;
  bool cancelled_ = false;
  std::string readError_;
};

}  // namespace mosaic
