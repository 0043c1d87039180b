#pragma once
// The newest complete frame of the receiver's picture, turned the way the transmitter saw it.
//
// The receiver's bitmap shows two buffers with time running from right to left and the frame
// boundary wherever it happens to fall. Once the boundary is known (see frame_alignment.h),
// the 47 sent columns of the frame that lies wholly inside the history can be picked out of the
// bitmap and laid out left to right, top to bottom, as in the transmitter's grab area. Every
// pixel is one the receiver itself reconstructed, so the brightness, contrast, saturation and
// filter settings apply as they do to the other views.

#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/picture/picture_bitmap.h"

#include <array>
#include <cstdint>
#include <vector>

namespace mosaic {

inline constexpr int kAlignedColumns = 47;  // the columns that go on the air
inline constexpr int kAlignedRows = 36;     // the luminance rows (slots 10..45)
inline constexpr int kMaxAlignedScale = 16;

// An aligned picture: top-down rows of red, green, blue bytes.
struct AlignedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, reserved once by `reserveAligned`
};

// Reserves room for pictures up to `kMaxAlignedScale`, so that making one never allocates.
void reserveAligned(AlignedPicture& picture);

// Symbol t (1..95) and sub-column p (0..2) whose differential value measures the sent column
// `column` (1..47, fractions allowed) of the frame starting at `frameStart` in the history:
// the one whose pair of windows straddles that column's symbol most closely without reaching
// outside the frame.
struct SymbolColumn {
  int t;
  int p;
};
// A pair of the `preferred` sub-column near the column, where there is one, comes first.
SymbolColumn symbolForColumn(double column, int frameStart, const std::array<int, 2>& offsets,
                             int preferred = -1);

// The sub-column (0..2) whose pairs lie nearest the inner columns' symbols, give or take a third
// of a symbol, and whose picture in `bitmap` is smoothest from column to column; -1 without
// "+ half pixel".
int smoothestSubColumn(const PictureBitmap& bitmap, int frameStart,
                       const std::array<int, 2>& offsets);

// The frame starting at `frameStart` (0..12288) in the history that `bitmap` shows, scale
// (1..16) pixels per column and per luminance row: 47 * scale by 36 * scale.
// `windowOffsets` are the demodulator's sub-column offsets of the run the bitmap shows.
void alignFrame(const PictureBitmap& bitmap, int frameStart,
                const std::array<int, 2>& windowOffsets, int scale, AlignedPicture& out);

}  // namespace mosaic
