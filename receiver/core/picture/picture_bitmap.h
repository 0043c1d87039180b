#pragma once
// The receiver's picture: a bottom-up 24-bit bitmap, blue-green-red, 288 pixels wide, kept for
// the program's lifetime (the noise filter blends with what it held after the previous run).

#include "receiver/core/demodulation/block_spectra.h"
#include "signal/carrier_plan.h"
#include "signal/timing.h"

#include <cstdint>
#include <vector>

namespace mosaic {

inline constexpr int kPictureWidth = kBlocksPerRun * kSubColumns;  // 288 [pixels]
inline constexpr int kPictureStride = kPictureWidth * 3;           // 864 [bytes per row]
inline constexpr int kRowsPerSlot = 3;
inline constexpr int kPrimaryRows = kSlotCount;  // one per slot, rows 1, 4, .., 382
inline constexpr int kPictureRowsHeld = kRowsPerSlot * kPrimaryRows + 2;  // rows 0..385
inline constexpr int kShownRows = 192;                                    // rows 0..191 are drawn

// Byte offsets of the components within a pixel.
inline constexpr int kBlue = 0;
inline constexpr int kGreen = 1;
inline constexpr int kRed = 2;

// Pixel column of symbol t (0..95), sub-column p (0..2): time runs from right to left.
constexpr int pictureColumn(int t, int p) { return kPictureWidth - 1 - kSubColumns * t - p; }
// Bitmap row (counted from the bottom) of primary row i (0..127), which shows slot i + 1.
constexpr int primaryRow(int i) { return 1 + kRowsPerSlot * i; }

struct PictureBitmap {
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kPictureStride * kPictureRowsHeld, 0);

  std::uint8_t* row(int y) {
    return bytes.data() + static_cast<std::ptrdiff_t>(y) * kPictureStride;
  }
  const std::uint8_t* row(int y) const {
    return bytes.data() + static_cast<std::ptrdiff_t>(y) * kPictureStride;
  }
  std::uint8_t* pixel(int x, int y) { return row(y) + 3 * x; }
  const std::uint8_t* pixel(int x, int y) const { return row(y) + 3 * x; }
};

}  // namespace mosaic
