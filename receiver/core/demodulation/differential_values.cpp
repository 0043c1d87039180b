#include "receiver/core/demodulation/differential_values.h"

#include "signal/byte_rounding.h"

#include <limits>

namespace mosaic {

namespace {
constexpr long double kBalanceScale = 5000.0L;
}

double differentialValue(float reA, float imA, float reB, float imB, int balance, int slot) {
  // A silent carrier has no phase, so no value. Saying so directly also keeps the extended-
  // precision unit away from 0 / 0, which it handles hundreds of times slower than a number.
  if (reB == 0.0f && imB == 0.0f) return std::numeric_limits<double>::quiet_NaN();
  const long double cross =
      static_cast<long double>(imA) * reB - static_cast<long double>(reA) * imB;
  const long double power =
      static_cast<long double>(reB) * reB + static_cast<long double>(imB) * imB;
  const long double slope = static_cast<long double>(balance) * slot / kBalanceScale;
  return static_cast<double>(cross / power + slope);
}

std::uint8_t pictureValueByte(double d) {
  return roundToByteFast(128.0L * static_cast<long double>(d) + 128.0L);
}

void differentialValues(const SpectrumStore& store, int balance, SymbolPlanes& planes,
                        RunBytes& bytes) {
  for (int p = 0; p < kSubColumns; ++p) {
    const auto up = static_cast<std::size_t>(p);
    const auto& re = store.re[up];
    const auto& im = store.im[up];
    auto& luma = planes.luma[up];
    for (int t = 1; t <= kBlocksPerRun; ++t) {
      for (int s = kFirstUsedSlot; s <= kLastUsedSlot; ++s) {
        const std::size_t a = SpectrumStore::index(t - 1, s);
        const std::size_t b = SpectrumStore::index(t, s);
        const double d = differentialValue(re[a], im[a], re[b], im[b], balance, s);
        luma[SymbolPlanes::index(t, s)] = d;
        bytes[runByteIndex(t, s, p)] = pictureValueByte(d);
      }
    }
  }
}

}  // namespace mosaic
