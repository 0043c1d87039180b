#pragma once
// Colour composition: red, green and blue from luminance and the two colour differences under
// brightness, contrast and saturation, optionally blended with the previous picture.

#include "receiver/core/demodulation/symbol_planes.h"
#include "receiver/core/picture/display_settings.h"
#include "receiver/core/picture/picture_bitmap.h"

#include <cstdint>

namespace mosaic {

struct Bgr {
  std::uint8_t blue;
  std::uint8_t green;
  std::uint8_t red;
  friend bool operator==(const Bgr&, const Bgr&) = default;
};

// One pixel: red = (Y + R sat/200) C + L, green = (Y - (B + R)(sat 0.5)/200) C + L,
// blue = (Y + B sat/200) C + L, each rounded and limited to 0..255 (NaN gives 0).
Bgr composePixel(double luma, double red, double blue, const DisplaySettings& settings);

// The noise filter's blend: (a old + fresh) / b, rounded, ties to even.
std::uint8_t blendWithPrevious(std::uint8_t old, std::uint8_t fresh, NoiseWeights weights);

// Writes the primary rows of every symbol t = 0..95 and sub-column (all of sub-column 0 first):
// primary row i shows slot i + 1 of the planes. With the noise filter on, each component is
// blended with the byte already there.
void composePicture(const SymbolPlanes& planes, const DisplaySettings& settings,
                    PictureBitmap& bitmap);

}  // namespace mosaic
