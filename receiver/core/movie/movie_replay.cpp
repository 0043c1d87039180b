#include "receiver/core/movie/movie_replay.h"

#include "receiver/core/picture/colour_planes.h"

#include <limits>

namespace mosaic {

double valueOfRecordedByte(std::uint8_t v) { return (static_cast<double>(v) - 128.0) / 128.0; }

namespace {

// Symbols [first, first + count) of the run, from the frame's symbols starting at `from`.
void fillSymbols(const std::uint8_t* frame, int from, int first, int count, SymbolPlanes& planes) {
  for (int i = 0; i < count; ++i) {
    const int t = first + i;
    for (int s = kFirstUsedSlot; s <= kLastUsedSlot; ++s)
      for (int p = 0; p < kSubColumns; ++p) {
        const std::uint8_t v = frame ? frame[runByteIndex(from + i + 1, s, p)] : 0;
        planes.luma[static_cast<std::size_t>(p)][SymbolPlanes::index(t, s)] =
            frame ? valueOfRecordedByte(v) : std::numeric_limits<double>::quiet_NaN();
      }
  }
}

}  // namespace

void planesFromMovieFrames(const std::uint8_t* frame, const std::uint8_t* nextFrame,
                           SymbolPlanes& planes) {
  fillSymbols(frame, 0, 1, kMovieFrameSymbols, planes);
  fillSymbols(nextFrame, 0, kMovieFrameSymbols + 1, kMovieFrameSymbols - 1, planes);
  fillSymbols(nullptr, 0, kBlocksPerRun, 1, planes);  // symbol 96 was never recorded
  colourPlanes(Extended(), planes);
}

}  // namespace mosaic
