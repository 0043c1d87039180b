#include "receiver/app/recording_playback.h"

#include "tools/decode_recording.h"

#include <algorithm>
#include <utility>

namespace mosaic {

namespace {
constexpr int kBufferPeriodMs = kCaptureSamples * 1000 / kRxSampleRateHz;  // 1280
// The reader keeps this much ready and no more, so that a long recording is not held whole.
constexpr std::size_t kReadAheadSamples = 4 * kCaptureSamples;
}  // namespace

RecordingPlayback::RecordingPlayback(BufferHandler onBuffer, EndHandler onEnd)
    : onBuffer_(std::move(onBuffer)), onEnd_(std::move(onEnd)) {
  timer_.setInterval(kBufferPeriodMs);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { playNextBuffer(); });
}

RecordingPlayback::~RecordingPlayback() { stop(); }

void RecordingPlayback::start(const std::string& path) {
  stop();
  path_ = path;
  buffersPlayed_ = 0;
  {
    std::lock_guard lock(mutex_);
    ready_.clear();
    readToEnd_ = false;
    cancelled_ = false;
    readError_.clear();
  }
  reader_ = std::thread([this, path] { readRecording(path); });
  timer_.start();
}

void RecordingPlayback::stop() {
  timer_.stop();
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  room_.notify_all();
  if (reader_.joinable()) reader_.join();
}

void RecordingPlayback::readRecording(const std::string& path) {
  tool::RecordingReader reader;
  std::string error;
  std::vector<std::int16_t> piece;
  bool fine = reader.open(path, tool::ChannelChoice::Mix, error);
  while (fine) {
    fine = reader.next(piece, error);
    if (!fine || piece.empty()) break;
    std::unique_lock lock(mutex_);
    room_.wait(lock, [this] { return cancelled_ || ready_.size() < kReadAheadSamples; });
    if (cancelled_) return;
    ready_.insert(ready_.end(), piece.begin(), piece.end());
  }
  std::lock_guard lock(mutex_);
  readToEnd_ = true;
  if (!fine) readError_ = error;
}

void RecordingPlayback::playNextBuffer() {
  std::string problem;
  {
    std::lock_guard lock(mutex_);
    const bool whole = ready_.size() >= buffer_.size();
    if (whole) {
      std::copy_n(ready_.begin(), buffer_.size(), buffer_.begin());
      ready_.erase(ready_.begin(), ready_.begin() + static_cast<std::ptrdiff_t>(buffer_.size()));
    } else if (!readToEnd_) {
      return;  // the reader is behind: this buffer comes at the next tick
    } else {
      problem = readError_;  // what is left does not fill a buffer: the end, as a device's
    }
    if (!whole) timer_.stop();
  }
  room_.notify_all();
  if (timer_.isActive()) {
    ++buffersPlayed_;
    onBuffer_(buffer_.data());
    return;
  }
  if (reader_.joinable()) reader_.join();
  if (problem.empty() && buffersPlayed_ == 0)
    problem = path_ + " holds less than 1.28 s of sound, too little for a picture.";
  onEnd_(problem);
}

}  // namespace mosaic
