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

}  // namespace

CaptureWorker::CaptureWorker(const QAudioDevice& device, const QAudioFormat& format,
                             Filled onFilled)
    : device_(device),
      format_(format),
      onFilled_(std::move(onFilled)),
      buffers_(format.sampleRate() * kBacklogSeconds) {}

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
  return true;
}

void CaptureWorker::stop() {
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
    const std::size_t bytes = at + static_cast<std::size_t>(got);
    haveOddByte_ = bytes % 2 != 0;
    if (haveOddByte_) oddByte_ = chunk[bytes - 1];
    std::int16_t samples[4097];
    std::memcpy(samples, chunk, bytes / 2 * 2);
    report(buffers_.record(samples, static_cast<int>(bytes / 2)));
  }
}

void CaptureWorker::report(const std::vector<int>& filled) {
  const auto now = std::chrono::steady_clock::now();
  for (const int id : filled)
    if (onFilled_) onFilled_(id, now);
}

}  // namespace mosaic
