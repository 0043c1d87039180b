#pragma once
// The colour matrix that brings video and camera pictures to RGB, the same on every machine:
// ITU-R BT.601 in integer arithmetic, each component rounded to nearest and limited to 0..255,
// so that video white (Y = 235) is 255 and mid-grey (Y = 126) is 128. (FFmpeg's own conversion
// differs between processors: its x86 code gives 255 for white, its generic code 253.)

#include <cstdint>

namespace mosaic {

// Limited ("video", Y 16..235, colour 16..240) or full ("JPEG", 0..255) range.
enum class YuvRange { Limited, Full };

class YuvToRgb {
 public:
  explicit YuvToRgb(YuvRange range);

  // One row of `width` pixels from full-size planes, as red, green, blue bytes.
  void convertRow(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, int width,
                  std::uint8_t* rgb) const;

 private:
  // Each component is (a Y' + b U' + c V' + 2^15) >> 16 for the luminance and colour
  // differences from their zero levels; the coefficients are the matrix's in units of 2^-16.
  int yOffset_, yScale_, redFromV_, greenFromU_, greenFromV_, blueFromU_;
};

}  // namespace mosaic
