#include "receiver/core/picture/colour_planes.h"

#include "signal/carrier_plan.h"

#include <cmath>

namespace mosaic {

namespace {

// value - correction in extended precision; a not-a-number value (a silent carrier) stays one
// without going through the extended-precision unit, where it is hundreds of times slower.
double corrected(double value, long double correction) {
  if (std::isnan(value)) return value;
  return static_cast<double>(value - correction);
}

constexpr long double kColourTuningDivisor = 11.0L;
constexpr int kSlotsPerColourCarrier = 4;
constexpr int kLastBlueSlot = 81;
}  // namespace

void colourPlanes(long double tuningOffsetHz, SymbolPlanes& planes) {
  const long double correction = tuningOffsetHz / kColourTuningDivisor;
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
