#pragma once
// Reads any sound file libsndfile understands as one channel of samples on the 16-bit scale:
// all channels mixed, or the left or the right one. Recordings at rates outside 4000..768000 Hz
// and samples that are not finite numbers (possible in floating-point files) are refused as
// unreadable input.

#include <memory>
#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

namespace mosaic::tool {

enum class ChannelChoice { Mix, Left, Right };

inline constexpr int kMinSoundRateHz = 4000;
inline constexpr int kMaxSoundRateHz = 768000;

// Streams a sound file in pieces.
class SoundFileReader {
 public:
  SoundFileReader();
  ~SoundFileReader();
  SoundFileReader(const SoundFileReader&) = delete;
  SoundFileReader& operator=(const SoundFileReader&) = delete;

  // Opens `path`; false with a message the user can act on.
  bool open(const std::string& path, ChannelChoice channel, std::string& error);
  // Reads up to `max` samples of the chosen channel into `out` (full scale +-32768); returns how
  // many, 0 at the end, -1 with `error` set on a read error or a sample that is not finite.
  long read(float* out, long max, std::string& error);

  int rateHz() const { return rateHz_; }
  int channels() const { return channels_; }
  long long frames() const { return frames_; }

 private:
  SNDFILE* file_ = nullptr;
  std::string path_;
  long long position_ = 0;  // [frames] read so far
  int rateHz_ = 0;
  int channels_ = 0;
  long long frames_ = 0;
  ChannelChoice channel_ = ChannelChoice::Mix;
  std::vector<double> interleaved_;
};

}  // namespace mosaic::tool
