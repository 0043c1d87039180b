#include "receiver/core/picture/colour_composition.h"

#include "signal/byte_rounding.h"
#include "signal/extended.h"
#include "signal/integer_rounding.h"

#include <cmath>

namespace mosaic {

namespace {

using X = Extended;
constexpr int kSaturationScale = 200;

// A component's byte as defined: its value in extended precision, then nearest, ties to even,
// limited to 0..255.
std::uint8_t exactByte(const Extended& value) {
  if (!(value > Extended(0.5))) return 0;
  if (value > Extended(254.5)) return 255;
  return static_cast<std::uint8_t>(static_cast<double>(value.nearestInteger()));
}

// The byte of a component whose defined value lies within `bound` of `estimate`, when that
// settles it; -1 when the estimate lies too close to a rounding boundary (or is no number).
int byteIfClear(double estimate, double bound) {
  if (estimate - bound > 254.5) return 255;
  if (estimate + bound < 0.5) return 0;
  const double nearest = nearestIntegerFast(estimate);
  if (!(std::fabs(estimate - nearest) < 0.5 - bound)) return -1;
  return static_cast<int>(nearest);
}

}  // namespace

// Each component is defined in extended precision, operation by operation as written below.
// It is estimated in double precision first: with at most six roundings, each within 2^-53 of
// its result in double and 2^-64 in extended precision, the two lie less than 2^-50 M apart,
// where M = (|Y| + |colour term|) C + |L| bounds every intermediate result as it reaches the
// end. Only an estimate within 2^-48 M of a rounding boundary is worked out in extended
// precision; the rest round alike.
Bgr composePixel(double luma, double red, double blue, const DisplaySettings& settings) {
  // A component computed from a not-a-number value (a silent carrier) is 0.
  const bool lumaKnown = !std::isnan(luma);
  const bool redKnown = lumaKnown && !std::isnan(red);
  const bool blueKnown = lumaKnown && !std::isnan(blue);
  const double sat = settings.saturation;
  const double contrast = settings.contrast;
  const double brightness = settings.brightness;
  auto bound = [&](double colourMagnitude) {
    return ((std::fabs(luma) + colourMagnitude * sat / kSaturationScale) * contrast +
            std::fabs(brightness)) *
           0x1p-48;
  };
  Bgr out{0, 0, 0};
  if (redKnown) {
    const int clear = byteIfClear((luma + red * sat / kSaturationScale) * contrast + brightness,
                                  bound(std::fabs(red)));
    out.red = clear >= 0
                  ? static_cast<std::uint8_t>(clear)
                  : exactByte((X(luma) + X(red) * X(sat) / X(kSaturationScale)) * X(contrast) +
                              X(brightness));
  }
  if (redKnown && blueKnown) {
    const int clear =
        byteIfClear((luma - (blue + red) * (sat * 0.5) / kSaturationScale) * contrast + brightness,
                    bound(std::fabs(blue) + std::fabs(red)));
    out.green =
        clear >= 0 ? static_cast<std::uint8_t>(clear)
                   : exactByte((X(luma) - (X(blue) + X(red)) * X(sat * 0.5) / X(kSaturationScale)) *
                                   X(contrast) +
                               X(brightness));
  }
  if (blueKnown) {
    const int clear = byteIfClear((luma + blue * sat / kSaturationScale) * contrast + brightness,
                                  bound(std::fabs(blue)));
    out.blue = clear >= 0
                   ? static_cast<std::uint8_t>(clear)
                   : exactByte((X(luma) + X(blue) * X(sat) / X(kSaturationScale)) * X(contrast) +
                               X(brightness));
  }
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
