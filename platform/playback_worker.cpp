#include "platform/playback_worker.h"

#include <QMetaObject>

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

PlaybackWorker::PlaybackWorker(std::string device, int sampleRateHz, Played onPlayed)
    : device_(std::move(device)),
      sampleRateHz_(sampleRateHz),
      onPlayed_(std::move(onPlayed)),
      stream_(new BufferQueueDevice(this)),
      poll_(this) {
  poll_.setTimerType(Qt::PreciseTimer);
  connect(&poll_, &QTimer::timeout, this, &PlaybackWorker::checkPlayed);
}

PlaybackWorker::~PlaybackWorker() { stop(); }

bool PlaybackWorker::start() {
  stop();
  // Unbuffered: the server's reads come straight from the queue, with nothing held back.
  stream_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  PulseStream::Setup setup;
  setup.direction = PulseStream::Direction::Playback;
  setup.device = device_;
  setup.sampleRateHz = sampleRateHz_;
  setup.bufferSeconds = kServerBufferSeconds;
  setup.clientName = "Mosaiccast";
  setup.streamName = "transmission";
  std::string error;
  const bool opened = sink_.open(
      setup,
      [stream = stream_](std::int16_t* samples, std::size_t count) {
        const qint64 got =
            stream->read(reinterpret_cast<char*>(samples), static_cast<qint64>(count) * 2);
        return got > 0 ? static_cast<std::size_t>(got / 2) : std::size_t{0};
      },
      nullptr,
      [this](const std::string& why) {
        // From the server's client thread to this one, where the poll timer lives.
        QMetaObject::invokeMethod(
            this, [this, why = QString::fromStdString(why)] { reportLost(why); },
            Qt::QueuedConnection);
      },
      error);
  startError_ = opened ? std::string() : error;
  if (!opened) {
    std::fprintf(stderr, "sound: the playback device failed to start (%s); transmitting nothing\n",
                 error.c_str());
    stop();
    return false;
  }
  lastPlayed_ = -1;
  lastProgress_ = std::chrono::steady_clock::now();
  lostReported_ = false;
  poll_.start(kPollMs);
  sink_.fillNow();
  return true;
}

void PlaybackWorker::wake() { sink_.fillNow(); }

void PlaybackWorker::stop() {
  poll_.stop();
  sink_.close();
  stream_->close();
}

void PlaybackWorker::checkPlayed() {
  if (!sink_.isOpen()) return;
  const std::int64_t played = sink_.playedSamples();
  const auto now = std::chrono::steady_clock::now();
  if (played != lastPlayed_ || stream_->queued() == 0) {
    lastPlayed_ = played;
    lastProgress_ = now;
  } else if (now - lastProgress_ > kStallLimit) {
    reportLost(QStringLiteral("playback has stood still for %1 s")
                   .arg(std::chrono::duration_cast<std::chrono::seconds>(kStallLimit).count()));
    return;
  }
  if (played < 0) return;
  const int finished = stream_->takePlayed(played);
  if (finished > 0 && onPlayed_) onPlayed_(finished, std::chrono::steady_clock::now());
}

void PlaybackWorker::reportLost(const QString& why) {
  if (lostReported_) return;
  lostReported_ = true;
  poll_.stop();
  if (onLost_) onLost_(why);
}

}  // namespace mosaic
