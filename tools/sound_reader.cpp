#include "tools/sound_reader.h"

#include <sndfile.h>

#include <memory>

namespace mosaic::tool {

bool readSound(const std::string& path, ChannelPick pick, Sound& out, std::string& error) {
  SF_INFO info{};
  SNDFILE* raw = sf_open(path.c_str(), SFM_READ, &info);
  if (!raw) {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(raw, sf_close);
  if (info.frames <= 0 || info.channels <= 0 || info.samplerate <= 0) {
    error = path + " holds no sound";
    return false;
  }
  if (pick == ChannelPick::Right && info.channels < 2) {
    error = path + " has no right channel";
    return false;
  }
  out.rateHz = info.samplerate;
  out.channels = info.channels;
  out.samples.assign(static_cast<std::size_t>(info.frames), 0.0f);

  const int channels = info.channels;
  std::vector<float> block(static_cast<std::size_t>(4096 * channels));
  std::size_t frame = 0;
  for (;;) {
    const sf_count_t got = sf_readf_float(raw, block.data(), 4096);
    if (got <= 0) break;
    for (sf_count_t i = 0; i < got && frame < out.samples.size(); ++i, ++frame) {
      const float* f = &block[static_cast<std::size_t>(i * channels)];
      float v;
      if (pick == ChannelPick::Left) {
        v = f[0];
      } else if (pick == ChannelPick::Right) {
        v = f[1];
      } else {
        double sum = 0.0;
        for (int c = 0; c < channels; ++c) sum += f[c];
        v = static_cast<float>(sum / channels);
      }
      out.samples[frame] = v * 32768.0f;  // exact for 16-bit files
    }
  }
  out.samples.resize(frame);
  if (sf_error(raw) != SF_ERR_NO_ERROR) {
    error = "cannot read " + path + ": " + sf_strerror(raw);
    return false;
  }
  if (out.samples.empty()) {
    error = path + " holds no sound";
    return false;
  }
  return true;
}

}  // namespace mosaic::tool
