#include "receiver/core/demodulation/differential_values.h"

#include "signal/byte_rounding.h"

#include <limits>

namespace mosaic {

namespace {

constexpr int kBalanceScale = 5000;

// balance * slot / 5000 in extended precision.
Extended balanceSlope(int balance, int slot) {
  return Extended(balance * slot) / Extended(kBalanceScale);
}

// D in extended precision, rounded to double. The products of two floats are exact in a double,
// and so in extended precision; their difference and sum, the quotient and the added slope are
// each rounded to extended precision.
double differentialValue(float reA, float imA, float reB, float imB, const Extended& slope) {
  // A silent carrier has no phase, so no value.
  if (reB == 0.0f && imB == 0.0f) return std::numeric_limits<double>::quiet_NaN();
  const Extended cross =
      Extended(static_cast<double>(imA) * reB) - Extended(static_cast<double>(reA) * imB);
  const Extended power =
      Extended(static_cast<double>(reB) * reB) + Extended(static_cast<double>(imB) * imB);
  return (cross / power + slope).toDouble();
}

}  // namespace

double differentialValue(float reA, float imA, float reB, float imB, int balance, int slot) {
  return differentialValue(reA, imA, reB, imB, balanceSlope(balance, slot));
}

// In extended precision 128 D + 128 is rounded before it is rounded to a byte. That never
// matters: where 128 D + 128 needs more than 64 bits, |128 D| < 1/16 and either value rounds to
// 128. So the byte is 128 plus 128 D rounded to a whole number, and 128 D is exact in a double.
std::uint8_t pictureValueByte(double d) {
  const double scaled = 128.0 * d;
  if (!(scaled > -127.5)) return 0;  // NaN, and everything that rounds to 0 (-127.5 too)
  if (scaled > 126.5) return 255;    // 126.5 rounds to the even 126
  return static_cast<std::uint8_t>(128 + static_cast<int>(nearestIntegerFast(scaled)));
}

void differentialValues(const SpectrumStore& store, int balance, SymbolPlanes& planes,
                        RunBytes& bytes) {
  Extended slopes[kLastUsedSlot + 1];
  for (int s = kFirstUsedSlot; s <= kLastUsedSlot; ++s) slopes[s] = balanceSlope(balance, s);
  for (int p = 0; p < kSubColumns; ++p) {
    const auto up = static_cast<std::size_t>(p);
    const auto& re = store.re[up];
    const auto& im = store.im[up];
    auto& luma = planes.luma[up];
    for (int t = 1; t <= kBlocksPerRun; ++t) {
      for (int s = kFirstUsedSlot; s <= kLastUsedSlot; ++s) {
        const std::size_t a = SpectrumStore::index(t - 1, s);
        const std::size_t b = SpectrumStore::index(t, s);
        const double d = differentialValue(re[a], im[a], re[b], im[b], slopes[s]);
        luma[SymbolPlanes::index(t, s)] = d;
        bytes[runByteIndex(t, s, p)] = pictureValueByte(d);
      }
    }
  }
}

}  // namespace mosaic
