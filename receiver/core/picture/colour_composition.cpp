#include "receiver/core/picture/colour_composition.h"

#include "signal/byte_rounding.h"
#include "signal/integer_rounding.h"

#include <cmath>

namespace mosaic {

namespace {
constexpr long double kSaturationScale = 200.0L;
}

Bgr composePixel(double luma, double red, double blue, const DisplaySettings& settings) {
  // A component computed from a not-a-number value (a silent carrier) is 0. Such components are
  // not computed at all: the extended-precision unit is hundreds of times slower on them.
  const bool lumaKnown = !std::isnan(luma);
  const bool redKnown = lumaKnown && !std::isnan(red);
  const bool blueKnown = lumaKnown && !std::isnan(blue);
  const long double y = luma;
  const long double r = red;
  const long double b = blue;
  const long double sat = settings.saturation;
  const long double contrast = settings.contrast;
  const long double brightness = settings.brightness;
  Bgr out{0, 0, 0};
  if (redKnown) out.red = roundToByteFast((y + r * sat / kSaturationScale) * contrast + brightness);
  if (redKnown && blueKnown)
    out.green =
        roundToByteFast((y - (b + r) * (sat * 0.5L) / kSaturationScale) * contrast + brightness);
  if (blueKnown)
    out.blue = roundToByteFast((y + b * sat / kSaturationScale) * contrast + brightness);
  return out;
}

std::uint8_t blendWithPrevious(std::uint8_t old, std::uint8_t fresh, NoiseWeights weights) {
  return static_cast<std::uint8_t>(divideRoundHalfEven(weights.a * old + fresh, weights.b));
}

void composePicture(const SymbolPlanes& planes, const DisplaySettings& settings,
                    PictureBitmap& bitmap) {
  for (int p = 0; p < kSubColumns; ++p) {
    const auto up = static_cast<std::size_t>(p);
    const auto& luma = planes.luma[up];
    const auto& cr = planes.cr[up];
    const auto& cb = planes.cb[up];
    for (int t = 0; t < kBlocksPerRun; ++t) {
      const int x = pictureColumn(t, p);
      for (int i = 0; i < kPrimaryRows; ++i) {
        // Slot i + 1 of symbol t; for i = 127 that is slot 0 of symbol t + 1.
        const std::size_t at = SymbolPlanes::index(t, i + 1);
        const Bgr c = composePixel(luma[at], cr[at], cb[at], settings);
        std::uint8_t* px = bitmap.pixel(x, primaryRow(i));
        if (settings.noiseFilter) {
          px[kBlue] = blendWithPrevious(px[kBlue], c.blue, settings.noiseWeights);
          px[kGreen] = blendWithPrevious(px[kGreen], c.green, settings.noiseWeights);
          px[kRed] = blendWithPrevious(px[kRed], c.red, settings.noiseWeights);
        } else {
          px[kBlue] = c.blue;
          px[kGreen] = c.green;
          px[kRed] = c.red;
        }
      }
    }
  }
}

}  // namespace mosaic
