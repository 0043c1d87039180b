#pragma once
// Decoding recordings the way the receiver hears them: any sound file, one channel or the mix,
// brought to 9600 Hz 16-bit, then fed buffer by buffer to the receiver engine.

#include "receiver/core/buffer_feeder.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/picture/display_settings.h"
#include "resampling/resampler.h"
#include "tools/sound_reader.h"

#include <QImage>

#include <cstdint>
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

// Feeds everything `reader` still holds to `feeder`; false with `error` set when it cannot be read,
// or when the feeder's reader of the engine stops it (which sets `error` itself).
bool feedRecording(RecordingReader& reader, BufferFeeder& feeder, std::string& error);

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
