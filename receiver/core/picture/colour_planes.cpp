#include "receiver/core/picture/colour_planes.h"

#include "signal/carrier_plan.h"

#include <cmath>

namespace mosaic {

namespace {

// value - correction in extended precision, rounded to double; a not-a-number value (a silent
// carrier) stays one.
double corrected(double value, const Extended& correction) {
  if (std::isnan(value) || correction.isZero()) return value;
  return (Extended(value) - correction).toDouble();
}

constexpr int kColourTuningDivisor = 11;
constexpr int kSlotsPerColourCarrier = 4;
constexpr int kLastBlueSlot = 81;
}  // namespace

void colourPlanes(const Extended& tuningOffsetHz, SymbolPlanes& planes) {
  const Extended correction = tuningOffsetHz / Extended(kColourTuningDivisor);
  for (int p = 0; p < kSubColumns; ++p) {
    const auto up = static_cast<std::size_t>(p);
    const auto& luma = planes.luma[up];
    auto& cr = planes.cr[up];
    auto& cb = planes.cb[up];
    for (int t = 1; t <= kBlocksPerRun; ++t) {
      for (int j = 0; j <= kLastUsedSlot - kFirstColourSlot; ++j) {
        const double red =
            corrected(luma[SymbolPlanes::index(t, kFirstColourSlot + j)], correction);
        for (int m = 0; m < kSlotsPerColourCarrier; ++m) {
          cr[SymbolPlanes::index(t, kFirstUsedSlot + kSlotsPerColourCarrier * j + m)] = red;
        }
      }
      const double blue = corrected(luma[SymbolPlanes::index(t, kBlueSlot)], correction);
      for (int s = kFirstUsedSlot; s <= kLastBlueSlot; ++s) cb[SymbolPlanes::index(t, s)] = blue;
    }
  }
}

}  // namespace mosaic
