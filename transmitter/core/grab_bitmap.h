#pragma once
// The 96 x 128 pixels copied from the transmitter's video area for one picture: a bottom-up
// 24-bit bitmap, each pixel the bytes blue, green, red, each row 288 bytes.

#include <array>
#include <cstdint>

namespace mosaic {

struct GrabBitmap {
  static constexpr int kWidth = 96;             // [px] client columns 32..127
  static constexpr int kHeight = 128;           // [px] client rows 0..127
  static constexpr int kRowBytes = kWidth * 3;  // 288, already a multiple of 4
  static constexpr int kLeftColumn = 32;        // [px] client column of the bitmap's first pixel

  // Row 0 in memory is the bottom row (client row 127).
  std::array<std::uint8_t, kRowBytes * kHeight> bits{};

  // The pixel at client column x (32..127) and client row y (0..127), as blue, green, red.
  std::uint8_t* pixelAt(int x, int y) {
    return &bits[(kHeight - 1 - y) * kRowBytes + (x - kLeftColumn) * 3];
  }
};

}  // namespace mosaic
