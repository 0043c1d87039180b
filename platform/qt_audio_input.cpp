#include "platform/qt_audio_input.h"

#include "platform/qt_audio_device.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QIODevice>
#include <QMetaObject>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace mosaic {

QtAudioInput::QtAudioInput(QObject* parent) : QObject(parent) {}

QtAudioInput::~QtAudioInput() { close(); }

bool QtAudioInput::open(int sampleRateHz, BufferFilled onBufferFilled) {
  close();
  const QAudioFormat format = monoInt16Format(sampleRateHz);
  const auto device = defaultDeviceFor(SoundDirection::Recording, format);
  if (!device) return false;
  sampleRateHz_ = sampleRateHz;
  onBufferFilled_ = std::move(onBufferFilled);
  source_ = std::make_unique<QAudioSource>(*device, format);
  source_->setBufferSize(sampleRateHz / 4 * 2);  // a quarter second of device buffering
  return true;
}

void QtAudioInput::queue(int bufferId, std::int16_t* samples, int count) {
  if (source_ && samples && count > 0) queue_.push_back({bufferId, samples, count, 0});
}

void QtAudioInput::start() {
  if (!source_ || running_) return;
  // Push mode: the source's device reports new data on this (the UI) thread.
  stream_ = source_->start();
  if (!stream_ || source_->error() != QAudio::NoError) {
    std::fprintf(stderr, "sound: the recording device failed to start; receiving nothing\n");
    source_->stop();
    stream_ = nullptr;
    return;
  }
  running_ = true;
  connect(stream_, &QIODevice::readyRead, this, &QtAudioInput::onDataReady);
}

void QtAudioInput::onDataReady() {
  if (!running_ || !stream_) return;
  char chunk[4096];
  for (;;) {
    const qint64 got = stream_->read(chunk, sizeof chunk);
    if (got <= 0) break;
    qint64 at = 0;
    while (at < got) {
      std::int16_t sample;
      if (haveOddByte_) {
        const char bytes[2] = {oddByte_, chunk[at]};
        std::memcpy(&sample, bytes, 2);
        haveOddByte_ = false;
        at += 1;
      } else if (got - at == 1) {
        oddByte_ = chunk[at];
        haveOddByte_ = true;
        break;
      } else {
        std::memcpy(&sample, chunk + at, 2);
        at += 2;
      }
      if (queue_.empty()) continue;  // no free buffer: the sample is lost, as with any device
      Queued& head = queue_.front();
      head.samples[head.filled++] = sample;
      if (head.filled == head.count) {
        const int id = head.id;
        queue_.pop_front();
        // Reported from the event loop, so the receive chain never runs inside this read.
        const unsigned generation = generation_;
        QMetaObject::invokeMethod(
            this, [this, id, generation] { deliverFilled(id, generation); }, Qt::QueuedConnection);
      }
    }
  }
}

void QtAudioInput::deliverFilled(int bufferId, unsigned generation) {
  if (running_ && generation == generation_ && onBufferFilled_) onBufferFilled_(bufferId);
}

void QtAudioInput::reset() {
  ++generation_;
  running_ = false;
  if (stream_) stream_->disconnect(this);
  stream_ = nullptr;
  if (source_) source_->stop();
  queue_.clear();
  haveOddByte_ = false;
}

void QtAudioInput::close() {
  reset();
  source_.reset();
  onBufferFilled_ = nullptr;
}

}  // namespace mosaic
