#pragma once
// The receiver's sound input over Qt Multimedia: the default recording device at the requested
// rate, mono, 16-bit, filling the queued buffers in order; each full buffer is reported with a
// queued call on the UI thread.

#include "receiver/core/capture/audio_input.h"

#include <QObject>

#include <cstdint>
#include <deque>
#include <memory>

class QAudioSource;
class QIODevice;

namespace mosaic {

class QtAudioInput : public QObject, public AudioInput {
 public:
  explicit QtAudioInput(QObject* parent = nullptr);
  ~QtAudioInput() override;

  bool open(int sampleRateHz, BufferFilled onBufferFilled) override;
  void queue(int bufferId, std::int16_t* samples, int count) override;
  void start() override;
  void reset() override;
  void close() override;

 private:
  struct Queued {
    int id;
    std::int16_t* samples;
    int count;
    int filled;  // [samples]
  };

  // Moves what the device has recorded into the queued buffers.
  void onDataReady();
  void deliverFilled(int bufferId, unsigned generation);

  std::unique_ptr<QAudioSource> source_;
  QIODevice* stream_ = nullptr;
  std::deque<Queued> queue_;
  BufferFilled onBufferFilled_;
  int sampleRateHz_ = 0;
  bool running_ = false;
  // Counts resets, so that a report posted before a reset is recognised and dropped.
  unsigned generation_ = 0;
  // An odd byte left over from a read, waiting for its partner.
  bool haveOddByte_ = false;
  char oddByte_ = 0;
};

}  // namespace mosaic
