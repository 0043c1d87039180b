#pragma once
// Sound files for the tests: what a test hands a tool and reads back from it.

#include <QString>

#include <sndfile.h>

#include <cstdint>
#include <vector>

namespace mosaic::test {

struct WavSound {
  std::vector<std::int16_t> samples;  // interleaved when there are several channels
  int rateHz = 0;
  int channels = 0;
  int format = 0;  // the file's SF_FORMAT_ bits
};

// The file's samples; none when it cannot be read.
inline WavSound readWav(const QString& path) {
  WavSound sound;
  SF_INFO info{};
  SNDFILE* f = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
  if (!f) return sound;
  sound.rateHz = info.samplerate;
  sound.channels = info.channels;
  sound.format = info.format;
  sound.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
  const auto read =
      sf_read_short(f, sound.samples.data(), static_cast<sf_count_t>(sound.samples.size()));
  sound.samples.resize(static_cast<std::size_t>(read));
  sf_close(f);
  return sound;
}

// Writes `interleaved` as a 16-bit WAV file; false when it cannot be written in full.
inline bool writeWav(const QString& path, const std::vector<std::int16_t>& interleaved, int rateHz,
                     int channels = 1) {
  SF_INFO info{};
  info.samplerate = rateHz;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
  if (!f) return false;
  const auto count = static_cast<sf_count_t>(interleaved.size());
  const bool ok = sf_write_short(f, interleaved.data(), count) == count;
  sf_close(f);
  return ok;
}

// Writes `samples` as a mono floating-point WAV file, which can hold what 16 bits cannot (values
// past full scale, numbers that are not finite); false when it cannot be written in full.
inline bool writeFloatWav(const QString& path, const std::vector<float>& samples, int rateHz) {
  SF_INFO info{};
  info.samplerate = rateHz;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* f = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
  if (!f) return false;
  const auto count = static_cast<sf_count_t>(samples.size());
  const bool ok = sf_write_float(f, samples.data(), count) == count;
  sf_close(f);
  return ok;
}

}  // namespace mosaic::test
