// Any bytes as a recording given to `mosaic decode` or `mosaic channel`: libsndfile's reading
// with the tool's checks (rates, channels, samples that are not numbers), the mixing or choice
// of a channel and the resampling to 9600 Hz.

#include "tools/decode_recording.h"
#include "tools/sound_reader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int fd = ::memfd_create("sound", MFD_CLOEXEC);
  if (fd < 0) return 0;
  if (::write(fd, data + 1, size - 1) != static_cast<ssize_t>(size - 1)) {
    ::close(fd);
    return 0;
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  const auto channel = static_cast<mosaic::tool::ChannelChoice>(data[0] % 3);
  std::string error;
  {
    mosaic::tool::SoundFileReader reader;
    if (reader.open(path, channel, error)) {
      std::vector<float> piece(4096);
      for (int i = 0; i < 64; ++i)
        if (reader.read(piece.data(), static_cast<long>(piece.size()), error) <= 0) break;
    }
  }
  {
    mosaic::tool::RecordingReader reader;
    if (reader.open(path, channel, error)) {
      std::vector<std::int16_t> piece;
      for (int i = 0; i < 16; ++i)
        if (!reader.next(piece, error) || piece.empty()) break;
    }
  }
  ::close(fd);
  return 0;
}
