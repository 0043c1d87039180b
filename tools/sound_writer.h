#pragma once
// Writes 16-bit mono WAV files through libsndfile, into a temporary file that replaces the
// target only when everything was written. A plain WAV file's sizes are 32-bit: sound expected to
// pass 4 GiB is written as RF64, the 64-bit form of WAV, and a plain one that would pass the
// limit anyway fails instead of getting a header whose sizes wrap.

#include "tools/pending_file.h"

#include <cstdint>
#include <memory>
#include <string>

typedef struct sf_private_tag SNDFILE;

namespace mosaic::tool {

class WavWriter {
 public:
  // `expectedSamples`: about how many samples will be written.
  WavWriter(std::string path, int sampleRateHz, long long expectedSamples = 0);

  // The most samples a plain WAV file holds.
  static constexpr long long kMaxWavSamples = (0xFFFFFFFFLL - 4096) / 2;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Opens the temporary file; false with `error` set when it cannot be created.
  bool open(std::string& error);
  // Appends samples; false with `error` set when the write fails.
  bool write(const std::int16_t* samples, long count, std::string& error);
  // Closes the file and puts it in place; false with `error` set on failure.
  bool finish(std::string& error);

 private:
  PendingFile file_;
  int sampleRateHz_;
  bool rf64_;
  long long written_ = 0;
  SNDFILE* sf_ = nullptr;
};

}  // namespace mosaic::tool
