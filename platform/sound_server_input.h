#pragma once
// The receiver's sound input: the sound server's default or the named recording device at the
// requested rate, mono, 16-bit. The recorded sound goes straight into the queued buffers on the
// stream's own client thread, whatever the owner's thread is doing; what arrives while no buffer
// is queued waits in a backlog of 8 s. Each full buffer is reported with a queued call on the
// thread that opened the input. Every opening connects to the server afresh (see PulseStream).
// Needs Qt's event loop (a QCoreApplication is enough), no windows.

#include "devices/audio_input.h"
#include "platform/capture_queue.h"
#include "platform/sound_server_stream.h"

#include <QObject>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mosaic {

class SoundServerInput : public QObject, public AudioInput {
 public:
  explicit SoundServerInput(QObject* parent = nullptr);
  ~SoundServerInput() override;

  bool open(int sampleRateHz, BufferFilled onBufferFilled) override;
  void queue(int bufferId, std::int16_t* samples, int count) override;
  void start() override;
  void reset() override;
  void close() override;
  void setLostHandler(Lost onLost) override { stream_.setLostHandler(std::move(onLost)); }
  std::string openError() const override { return stream_.openError(); }
  void useDevice(const std::string& id) override { stream_.useDevice(id); }

  // From a buffer filled on the client thread to its report on this thread (for probes).
  const HandOverClock& handOver() const { return stream_.handOver(); }
  // Samples lost since the opening because no buffer was free for too long.
  std::int64_t lostSamples() const { return queue_ ? queue_->lost() : 0; }

 private:
  bool openStream();
  // Any thread: the buffers just filled.
  void report(const std::vector<int>& filled);

  int sampleRateHz_ = 0;
  std::optional<CaptureQueue> queue_;  // from open() to close()
  SoundServerStream stream_;
  BufferFilled onBufferFilled_;
};

}  // namespace mosaic
