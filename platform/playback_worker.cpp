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
// A sink whose play position stands still this long with sound queued has lost its device.
constexpr auto kStallLimit = std::chrono::seconds(3);

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
  connect(sink_.get(), &QAudioSink::stateChanged, this, &PlaybackWorker::onStateChanged);
  lastProcessedUs_ = -1;
  lastProgress_ = std::chrono::steady_clock::now();
  lostReported_ = false;
  poll_.start(kPollMs);
  return true;
}

void PlaybackWorker::wake() {
  // The sink stops asking when the queue runs dry and starts again on this signal.
  if (sink_) emit stream_->readyRead();
}

void PlaybackWorker::stop() {
  poll_.stop();
  if (sink_) sink_->disconnect(this);
  if (sink_) sink_->stop();
  sink_.reset();
  stream_->close();
}

void PlaybackWorker::checkPlayed() {
  if (!sink_) return;
  const std::int64_t processedUs = sink_->processedUSecs();
  const auto now = std::chrono::steady_clock::now();
  if (processedUs != lastProcessedUs_ || stream_->queued() == 0) {
    lastProcessedUs_ = processedUs;
    lastProgress_ = now;
  } else if (now - lastProgress_ > kStallLimit) {
    reportLost(QStringLiteral("playback has stood still for %1 s")
                   .arg(std::chrono::duration_cast<std::chrono::seconds>(kStallLimit).count()));
    return;
  }
  const std::int64_t played = processedUs * format_.sampleRate() / 1000000;
  const int finished = stream_->takePlayed(played);
  if (finished > 0 && onPlayed_) onPlayed_(finished, std::chrono::steady_clock::now());
}

}  // namespace mosaic

namespace mosaic {

void PlaybackWorker::onStateChanged() {
  if (!sink_ || sink_->error() == QAudio::NoError) return;
  if (sink_->state() != QAudio::StoppedState) return;
  reportLost(sink_->error() == QAudio::OpenError ? QStringLiteral("the device could not be opened")
                                                 : QStringLiteral("the playback stream stopped"));
}

void PlaybackWorker::reportLost(const QString& why) {
  if (lostReported_) return;
  lostReported_ = true;
  poll_.stop();
  if (onLost_) onLost_(why);
}

}  // namespace mosaic
