#include "tools/sound_reader.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace mosaic::tool {

SoundFileReader::SoundFileReader() = default;

SoundFileReader::~SoundFileReader() {
  if (file_) sf_close(file_);
}

bool SoundFileReader::open(const std::string& path, ChannelChoice channel, std::string& error) {
  SF_INFO info{};
  file_ = sf_open(path.c_str(), SFM_READ, &info);
  if (!file_) {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels <= 0) {
    error = path + " has no channels";
    return false;
  }
  if (info.samplerate < kMinSoundRateHz || info.samplerate > kMaxSoundRateHz) {
    error = path + " is at " + std::to_string(info.samplerate) + " Hz; recordings from " +
            std::to_string(kMinSoundRateHz) + " to " + std::to_string(kMaxSoundRateHz) +
            " Hz are read";
    return false;
  }
  if (channel == ChannelChoice::Right && info.channels < 2) {
    error = path + " has one channel; --channel right needs two";
    return false;
  }
  path_ = path;
  position_ = 0;
  rateHz_ = info.samplerate;
  channels_ = info.channels;
  frames_ = info.frames;
  channel_ = channel;
  // Whole-number formats read back as value / 32768 for 16 bits; scaled by 32768 again they are
  // exact, and other formats land on the same 16-bit scale.
  sf_command(file_, SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE);
  return true;
}

long SoundFileReader::read(float* out, long max, std::string& error) {
  interleaved_.resize(static_cast<std::size_t>(max * channels_));
  const sf_count_t got = sf_readf_double(file_, interleaved_.data(), max);
  if (got < 0 || sf_error(file_) != SF_ERR_NO_ERROR) {
    error = std::string("cannot read the recording: ") + sf_strerror(file_);
    return -1;
  }
  for (sf_count_t f = 0; f < got; ++f) {
    const double* frame = interleaved_.data() + f * channels_;
    double v;
    if (channel_ == ChannelChoice::Left) {
      v = frame[0];
    } else if (channel_ == ChannelChoice::Right) {
      v = frame[1];
    } else {
      double sum = 0.0;
      for (int c = 0; c < channels_; ++c) sum += frame[c];
      v = sum / channels_;
    }
    if (!std::isfinite(v)) {
      const long long at = position_ + f;
      error = path_ + ": sample " + std::to_string(at + 1) + " (at " +
              std::to_string(static_cast<double>(at) / rateHz_) +
              " s) is not a finite number; the recording is damaged";
      return -1;
    }
    // Far beyond 16 bits, but still a float: the stages after this limit it where they store.
    out[f] = static_cast<float>(std::clamp(v * 32768.0, -1e30, 1e30));
  }
  position_ += got;
  return static_cast<long>(got);
}

}  // namespace mosaic::tool
