#pragma once
// The transmitter's queued buffers as one continuous stream that a sound sink pulls from. The
// window's thread queues buffers; the sound thread reads them and learns which ones have been
// played. Reading never invents silence: with nothing queued a read returns nothing, so a late
// buffer still follows the previous one without a gap of its own making.

#include <QIODevice>

#include <cstdint>
#include <deque>
#include <mutex>

namespace mosaic {

class BufferQueueDevice : public QIODevice {
  Q_OBJECT
 public:
  explicit BufferQueueDevice(QObject* parent = nullptr);

  // Adds a buffer behind the others (any thread). The samples must stay unchanged until the
  // buffer has been reported played.
  void enqueue(const std::int16_t* samples, int count);
  // Drops every queued buffer, read or not (any thread).
  void clear();
  // Buffers queued and not yet reported played.
  int queued() const;
  // Samples read from the stream since it was made.
  std::int64_t served() const;
  // Removes the buffers that have been read in full and whose last sample lies within the first
  // `playedSamples` samples of the stream; returns how many.
  int takePlayed(std::int64_t playedSamples);

  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override;
  // A sink takes a stream's size as the amount it gathers before it starts playing; one sample
  // lets it start, and start again after an underrun, as soon as there is anything to play.
  qint64 size() const override { return 2; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  struct Pending {
    const std::int16_t* samples;
    int count;
    int read;             // [samples] already served
    std::int64_t endsAt;  // stream position after its last sample; valid once read in full
  };
  mutable std::mutex lock_;
  std::deque<Pending> queue_;  // read in full ones first, then the ones still being read
  std::int64_t served_ = 0;
};

}  // namespace mosaic
