#include "tools/sound_writer.h"

#include <sndfile.h>

namespace mosaic::tool {

WavWriter::WavWriter(std::string path, int sampleRateHz, long long expectedSamples)
    : file_(std::move(path)),
      sampleRateHz_(sampleRateHz),
      rf64_(expectedSamples > kMaxWavSamples) {}

WavWriter::~WavWriter() {
  if (sf_) sf_close(sf_);
}

bool WavWriter::open(std::string& error) {
  if (!file_.open(error)) return false;
  SF_INFO info{};
  info.samplerate = sampleRateHz_;
  info.channels = 1;
  info.format = (rf64_ ? SF_FORMAT_RF64 : SF_FORMAT_WAV) | SF_FORMAT_PCM_16;
  sf_ = sf_open_fd(file_.descriptor(), SFM_WRITE, &info, SF_FALSE);
  if (!sf_) {
    error = "cannot create " + file_.targetPath() + ": " + sf_strerror(nullptr);
    return false;
  }
  return true;
}

bool WavWriter::write(const std::int16_t* samples, long count, std::string& error) {
  if (!rf64_ && written_ + count > kMaxWavSamples) {
    error = "cannot write " + file_.targetPath() +
            ": the sound passes 4 GiB, more than a WAV file holds";
    return false;
  }
  written_ += count;
  if (!sf_ || sf_write_short(sf_, samples, count) != count) {
    error = "cannot write " + file_.targetPath() + ": " + sf_strerror(sf_);
    return false;
  }
  return true;
}

bool WavWriter::finish(std::string& error) {
  if (!sf_) {
    error = "cannot write " + file_.targetPath();
    return false;
  }
  const int status = sf_close(sf_);
  sf_ = nullptr;
  if (status != 0) {
    error = "cannot write " + file_.targetPath() + ": " + sf_error_number(status);
    return false;
  }
  return file_.commit(error);
}

}  // namespace mosaic::tool
