#pragma once
// Decoding recordings the way the receiver hears them: any sound file, one channel or the mix,
// brought to 9600 Hz 16-bit, then fed buffer by buffer through the receive chain.

#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/picture/display_settings.h"
#include "receiver/core/receive_chain.h"
#include "resampling/resampler.h"
#include "tools/sound_reader.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mosaic::tool {

// Reads a sound file in pieces as 9600 Hz 16-bit mono.
class RecordingReader {
 public:
  RecordingReader() = default;
  RecordingReader(const RecordingReader&) = delete;
  RecordingReader& operator=(const RecordingReader&) = delete;

  // Opens `path`; false with a message the user can act on.
  bool open(const std::string& path, ChannelChoice channel, std::string& error);
  // Replaces `out` with the next piece of 9600 Hz samples (empty at the end); false on a read
  // error.
  bool next(std::vector<std::int16_t>& out, std::string& error);

  int fileRateHz() const { return file_.rateHz(); }
  int fileChannels() const { return file_.channels(); }

 private:
  SoundFileReader file_;
  bool finished_ = false;
  std::unique_ptr<Resampler> resampler_;
  std::vector<float> mono_;
};

// Runs 9600 Hz samples through the receive chain in 12288-sample buffers, as the receiver does
// from start-up; a last partial buffer waits for more samples and is left over at the end.
class BufferFeeder {
 public:
  using AfterBuffer = std::function<bool(const ReceiveChain& chain)>;

  BufferFeeder(const DemodSettings& demod, const DisplaySettings& display, AfterBuffer afterBuffer);

  // Feeds samples; false as soon as `afterBuffer` returns false.
  bool feed(const std::int16_t* samples, std::size_t count);
  // Samples waiting for a full buffer.
  int leftOver() const { return filled_; }
  const ReceiveChain& chain() const { return *chain_; }

 private:
  DemodSettings demod_;
  DisplaySettings display_;
  AfterBuffer afterBuffer_;
  std::unique_ptr<ReceiveChain> chain_;
  std::vector<std::int16_t> buffer_;
  int filled_ = 0;
};

// What decoding a whole recording gives.
struct DecodedRecording {
  QImage picture;                     // after the last buffer, as the receiver shows it (288 x 192)
  std::vector<std::uint8_t> lastRun;  // picture value bytes of the last run (14112)
  std::vector<std::uint8_t> movie;    // the movie file: one 7056-byte frame per buffer
  int buffers = 0;
  int droppedSamples = 0;  // the last partial buffer [samples at 9600 Hz]
};

// Decodes `samples` (mono, 16-bit, at `rateHz`, resampled when not 9600 Hz) with the given
// settings. Meant for the demo and for tests; `mosaic decode` streams files instead.
DecodedRecording decodeRecording(const std::vector<std::int16_t>& samples, int rateHz,
                                 const DemodSettings& demod, const DisplaySettings& display);

}  // namespace mosaic::tool
