// Any bytes as a movie file: read back frame by frame and shown through the receiver's picture
// reconstruction with display settings taken from the same bytes.

#include "receiver/core/demodulation/symbol_planes.h"
#include "receiver/core/movie/movie_reader.h"
#include "receiver/core/movie/movie_replay.h"
#include "receiver/core/picture/picture_bitmap.h"
#include "receiver/core/picture/render_picture.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = ::memfd_create("movie", MFD_CLOEXEC);
  if (fd < 0) return 0;
  if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) {
    ::close(fd);
    return 0;
  }
  ::lseek(fd, 0, SEEK_SET);
  mosaic::MovieReader reader;
  std::string error;
  if (!reader.openDescriptor(fd, "fuzz.49", error)) return 0;

  mosaic::DisplaySettings display;
  if (size >= 8) {
    // Within the ranges of the receiver's controls.
    display.brightness = data[0];
    display.contrast = data[1];
    display.saturation = data[2] * 400 / 255;
    display.noiseFilter = data[3] & 8;
    display.horizontalFilter = data[3] & 1;
    display.verticalInterpolation = data[3] & 2;
    display.screenSize = data[3] & 4 ? mosaic::ScreenSize::Large : mosaic::ScreenSize::Small;
  }
  std::vector<std::uint8_t> frame(mosaic::kMovieFrameBytes), next(mosaic::kMovieFrameBytes);
  auto planes = std::make_unique<mosaic::SymbolPlanes>();
  auto bitmap = std::make_unique<mosaic::PictureBitmap>();
  if (!reader.next(frame.data(), error)) return 0;
  for (int i = 0; i < 4; ++i) {
    const bool more = reader.next(next.data(), error);
    mosaic::planesFromMovieFrames(frame.data(), more ? next.data() : nullptr, *planes);
    mosaic::renderPicture(*planes, display, *bitmap);
    if (!more) break;
    frame.swap(next);
  }
  return 0;
}
