#include "platform/qt_audio_output.h"

#include "platform/qt_audio_device.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace mosaic {

BufferQueueDevice::BufferQueueDevice(QObject* parent) : QIODevice(parent) {}

void BufferQueueDevice::enqueue(const std::int16_t* samples, int count) {
  if (count > 0) queue_.push_back({samples, count, 0});
}

void BufferQueueDevice::clear() { queue_.clear(); }

qint64 BufferQueueDevice::bytesAvailable() const {
  // A live stream: there is always something to read, if only silence.
  return (1 << 16) + QIODevice::bytesAvailable();
}

qint64 BufferQueueDevice::readData(char* data, qint64 maxSize) {
  auto* out = reinterpret_cast<std::int16_t*>(data);
  qint64 wanted = maxSize / 2;
  while (wanted > 0 && !queue_.empty()) {
    Pending& front = queue_.front();
    const qint64 n = std::min<qint64>(wanted, front.count - front.read);
    std::memcpy(out, front.samples + front.read, static_cast<std::size_t>(n) * 2);
    out += n;
    wanted -= n;
    front.read += static_cast<int>(n);
    if (front.read == front.count) {
      queue_.pop_front();
      emit bufferConsumed();
    }
  }
  std::fill(out, out + wanted, std::int16_t{0});  // underrun: silence, never a stopped stream
  return (maxSize / 2) * 2;
}

QtAudioOutput::QtAudioOutput(QObject* parent) : QObject(parent) {}

QtAudioOutput::~QtAudioOutput() { close(); }

bool QtAudioOutput::open(int sampleRateHz, BufferDone onBufferDone) {
  close();
  const QAudioFormat format = monoInt16Format(sampleRateHz);
  const auto device = defaultDeviceFor(SoundDirection::Playback, format);
  if (!device) return false;
  onBufferDone_ = std::move(onBufferDone);
  sink_ = std::make_unique<QAudioSink>(*device, format);
  sink_->setBufferSize(sampleRateHz / 4 * 2);  // a quarter second ahead of the speaker
  stream_ = new BufferQueueDevice(this);
  // Queued: the refill (a new frame) runs from the event loop, never inside the sink's read.
  connect(stream_, &BufferQueueDevice::bufferConsumed, this, &QtAudioOutput::onBufferConsumed,
          Qt::QueuedConnection);
  // Unbuffered: a read-ahead would pull silence in before the next buffer is queued.
  stream_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  sink_->start(stream_);
  if (sink_->error() != QAudio::NoError) {
    std::fprintf(stderr, "sound: the playback device failed to start; transmitting nothing\n");
    close();
    return false;
  }
  running_ = true;
  return true;
}

void QtAudioOutput::write(const std::int16_t* samples, int count) {
  if (stream_) stream_->enqueue(samples, count);
}

void QtAudioOutput::reset() {
  running_ = false;
  if (sink_) sink_->stop();
  if (stream_) stream_->clear();
}

void QtAudioOutput::close() {
  reset();
  sink_.reset();
  if (stream_) {
    stream_->disconnect(this);
    stream_->deleteLater();
    stream_ = nullptr;
  }
}

void QtAudioOutput::onBufferConsumed() {
  if (running_ && onBufferDone_) onBufferDone_();
}

}  // namespace mosaic
