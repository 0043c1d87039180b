#pragma once
// Writes 16-bit mono WAV files through libsndfile, into a temporary file that replaces the
// target only when everything was written.

#include "tools/output_file.h"

#include <cstdint>
#include <memory>
#include <string>

typedef struct sf_private_tag SNDFILE;

namespace mosaic::tool {

class WavWriter {
 public:
  WavWriter(std::string path, int sampleRateHz);
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
  SNDFILE* sf_ = nullptr;
};

}  // namespace mosaic::tool
