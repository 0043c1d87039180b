#pragma once
// Reads any sound file libsndfile understands into one channel of samples on the 16-bit scale.

#include <string>
#include <vector>

namespace mosaic::tool {

enum class ChannelPick { Mix, Left, Right };

struct Sound {
  int rateHz = 0;
  int channels = 0;
  std::vector<float> samples;  // one channel, full scale +-32768
};

// Reads `path`, mixing all channels to one (Mix) or taking the first or second one. False with
// `error` set when the file cannot be read, is empty, or has no such channel.
bool readSound(const std::string& path, ChannelPick pick, Sound& out, std::string& error);

}  // namespace mosaic::tool
