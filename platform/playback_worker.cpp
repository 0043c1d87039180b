#include "platform/playback_worker.h"

#include <QAudioSink>

#include <cstdio>
#include <utility>

namespace mosaic {

namespace {

// The sound server is asked to hold this much ahead of the speaker: more than two 1.28 s frames,
// so that everything the program has built is there, even while the program stands still.
constexpr double kServerBufferSeconds = 3.0;
// How often the play position is read. A buffer is reported this much late at worst.
constexpr int kPollMs = 10;

}  // namespace

PlaybackWorker::PlaybackWorker(const QAudioDevice& device, const QAudioFormat& format,
                               Played onPlayed)
    : device_(device),
      format_(format),
      onPlayed_(std::move(onPlayed)),
      stream_(new BufferQueueDevice(this)),
      poll_(this) {
  poll_.setTimerType(Qt::PreciseTimer);
  connect(&poll_, &QTimer::timeout, this, &PlaybackWorker::checkPlayed);
}

PlaybackWorker::~PlaybackWorker() { stop(); }

bool PlaybackWorker::start() {
  stop();
  sink_ = std::make_unique<QAudioSink>(device_, format_);
  sink_->setBufferSize(static_cast<qsizetype>(kServerBufferSeconds * format_.sampleRate()) *
                       format_.bytesPerFrame());
  // Unbuffered: the sink's reads come straight from the queue, with nothing held back.
  stream_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  sink_->start(stream_);
  if (sink_->error() != QAudio::NoError && sink_->state() == QAudio::StoppedState) {
    std::fprintf(stderr, "sound: the playback device failed to start; transmitting nothing\n");
    stop();
    return false;
  }
  poll_.start(kPollMs);
  return true;
}

void PlaybackWorker::wake() {
  // The sink stops asking when the queue runs dry and starts again on this signal.
  if (sink_) emit stream_->readyRead();
}

void PlaybackWorker::stop() {
  poll_.stop();
  if (sink_) sink_->stop();
  sink_.reset();
  stream_->close();
}

void PlaybackWorker::checkPlayed() {
  if (!sink_) return;
  const std::int64_t played = sink_->processedUSecs() * format_.sampleRate() / 1000000;
  const int finished = stream_->takePlayed(played);
  if (finished > 0 && onPlayed_) onPlayed_(finished, std::chrono::steady_clock::now());
}

}  // namespace mosaic
