#pragma once
// The transmitter's sound output: queued 16-bit mono buffers played back to back on the sound
// server's default or the named playback device. The server takes whatever is queued as soon as
// it is queued, on the stream's own client thread, and holds more than two frames ahead of the
// speaker, so everything the program has built is with the server and a busy or stopped window
// never reaches the air. Each played buffer is returned with a queued call on the thread that
// opened the output. Every opening connects to the server afresh (see PulseStream).

#include "devices/audio_output.h"
#include "platform/playback_queue.h"
#include "platform/sound_server_stream.h"

#include <QObject>

#include <cstdint>
#include <string>
#include <utility>

namespace mosaic {

class SoundServerOutput : public QObject, public AudioOutput {
 public:
  explicit SoundServerOutput(QObject* parent = nullptr);
  ~SoundServerOutput() override;

  bool open(int sampleRateHz, BufferDone onBufferDone) override;
  void write(const std::int16_t* samples, int count) override;
  void reset() override;
  void close() override;
  void setLostHandler(Lost onLost) override { stream_.setLostHandler(std::move(onLost)); }
  std::string openError() const override { return stream_.openError(); }
  void useDevice(const std::string& id) override { stream_.useDevice(id); }

  // From a buffer's last sample played to its return on this thread (for probes).
  const HandOverClock& handOver() const { return stream_.handOver(); }

 private:
  // On the client thread: returns the buffers played in full by now.
  void returnPlayed(std::int64_t playedSamples);

  PlaybackQueue queue_;
  SoundServerStream stream_;
  BufferDone onBufferDone_;
};

}  // namespace mosaic
