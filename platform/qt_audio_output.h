#pragma once
// The transmitter's sound output over Qt Multimedia: queued 16-bit mono buffers played back to
// back on the default playback device, each returned with a notification on the UI thread.

#include "transmitter/core/audio_output.h"

#include <QIODevice>
#include <QObject>

#include <cstdint>
#include <deque>
#include <memory>

class QAudioSink;

namespace mosaic {

// Serves the queued buffers to the sink as one continuous stream. When the queue runs dry the
// stream carries silence, so a late buffer is heard as a gap and never stops the device.
class BufferQueueDevice : public QIODevice {
  Q_OBJECT
 public:
  explicit BufferQueueDevice(QObject* parent = nullptr);

  // Adds a buffer behind the others.
  void enqueue(const std::int16_t* samples, int count);
  // Drops every queued buffer.
  void clear();
  // Buffers still queued, including the one being read.
  int queued() const { return static_cast<int>(queue_.size()); }

  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override;

 signals:
  // The stream has read the whole of a buffer.
  void bufferConsumed();

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  struct Pending {
    const std::int16_t* samples;
    int count;
    int read;  // [samples] already served
  };
  std::deque<Pending> queue_;
};

class QtAudioOutput : public QObject, public AudioOutput {
  Q_OBJECT
 public:
  explicit QtAudioOutput(QObject* parent = nullptr);
  ~QtAudioOutput() override;

  bool open(int sampleRateHz, BufferDone onBufferDone) override;
  void write(const std::int16_t* samples, int count) override;
  void reset() override;
  void close() override;

 private:
  void onBufferConsumed();

  std::unique_ptr<QAudioSink> sink_;
  BufferQueueDevice* stream_ = nullptr;
  BufferDone onBufferDone_;
  bool running_ = false;
};

}  // namespace mosaic
