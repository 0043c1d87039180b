#include "platform/capture_worker.h"

#include <QAudioSource>
#include <QIODevice>

#include <cstdio>
#include <cstring>
#include <utility>

namespace mosaic {

namespace {

// Samples recorded while the window's thread holds both buffers wait this long at most.
constexpr int kBacklogSeconds = 8;
// The sound server's buffer for this stream.
constexpr double kDeviceBufferSeconds = 0.25;
// A stream that delivers nothing for this long has lost its device, whatever it says.
constexpr auto kSilentLimit = std::chrono::seconds(3);

}  // namespace

CaptureWorker::CaptureWorker(const QAudioDevice& device, const QAudioFormat& format,
                             Filled onFilled)
    : device_(device),
      format_(format),
      onFilled_(std::move(onFilled)),
      watch_(this),
      buffers_(format.sampleRate() * kBacklogSeconds) {
  connect(&watch_, &QTimer::timeout, this, &CaptureWorker::checkArriving);
}

CaptureWorker::~CaptureWorker() { stop(); }

void CaptureWorker::queue(int bufferId, std::int16_t* samples, int count) {
  report(buffers_.queue(bufferId, samples, count));
}

void CaptureWorker::clearBuffers() { buffers_.clear(); }

bool CaptureWorker::start() {
  stop();
  source_ = std::make_unique<QAudioSource>(device_, format_);
  source_->setBufferSize(static_cast<qsizetype>(kDeviceBufferSeconds * format_.sampleRate()) *
                         format_.bytesPerFrame());
  // Push mode: the device reports new data on this thread.
  stream_ = source_->start();
  if (!stream_ || source_->error() != QAudio::NoError) {
    std::fprintf(stderr, "sound: the recording device failed to start; receiving nothing\n");
    stop();
    return false;
  }
  connect(stream_, &QIODevice::readyRead, this, &CaptureWorker::onDataReady);
  connect(source_.get(), &QAudioSource::stateChanged, this, &CaptureWorker::onStateChanged);
  lastData_ = std::chrono::steady_clock::now();
  lostReported_ = false;
  watch_.start(500);
  return true;
}

void CaptureWorker::stop() {
  watch_.stop();
  if (source_) source_->disconnect(this);
  if (stream_) stream_->disconnect(this);
  stream_ = nullptr;
  if (source_) source_->stop();
  source_.reset();
  haveOddByte_ = false;
}

void CaptureWorker::onDataReady() {
  if (!stream_) return;
  // Whole samples only; an odd byte waits for the next read.
  char chunk[8192 + 2];
  for (;;) {
    std::size_t at = 0;
    if (haveOddByte_) chunk[at++] = oddByte_;
    const qint64 got = stream_->read(chunk + at, 8192);
    if (got <= 0) {
      break;
    }
    lastData_ = std::chrono::steady_clock::now();
    const std::size_t bytes = at + static_cast<std::size_t>(got);
    haveOddByte_ = bytes % 2 != 0;
    if (haveOddByte_) oddByte_ = chunk[bytes - 1];
    std::int16_t samples[4097];
    std::memcpy(samples, chunk, bytes / 2 * 2);
    report(buffers_.record(samples, static_cast<int>(bytes / 2)));
  }
}

void CaptureWorker::onStateChanged() {
  if (!source_ || source_->error() == QAudio::NoError) return;
  if (source_->state() != QAudio::StoppedState) return;
  reportLost(source_->error() == QAudio::OpenError
                 ? QStringLiteral("the device could not be opened")
                 : QStringLiteral("the recording stream stopped"));
}

void CaptureWorker::checkArriving() {
  if (source_ && std::chrono::steady_clock::now() - lastData_ > kSilentLimit)
    reportLost(QStringLiteral("no sound has arrived for %1 s")
                   .arg(std::chrono::duration_cast<std::chrono::seconds>(kSilentLimit).count()));
}

void CaptureWorker::reportLost(const QString& why) {
  if (lostReported_) return;
  lostReported_ = true;
  watch_.stop();
  if (onLost_) onLost_(why);
}

void CaptureWorker::report(const std::vector<int>& filled) {
  const auto now = std::chrono::steady_clock::now();
  for (const int id : filled)
    if (onFilled_) onFilled_(id, now);
}

}  // namespace mosaic
