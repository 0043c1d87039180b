#include "receiver/core/demodulation/differential_values.h"

#include "signal/byte_rounding.h"

#include <bit>
#include <cmath>
#include <cstdint>
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
double exactValue(double imAreB, double reAimB, double reBreB, double imBimB,
                  const Extended& slope) {
  const Extended cross = Extended(imAreB) - Extended(reAimB);
  const Extended power = Extended(reBreB) + Extended(imBimB);
  return (cross / power + slope).toDouble();
}

// a + b as an unrounded pair s + e (s the rounded sum).
void twoSum(double a, double b, double& s, double& e) {
  s = a + b;
  const double bb = s - a;
  e = (a - (s - bb)) + (b - bb);
}

// Half the spacing of doubles at |x| (a normal number not near the ends of the range); 0 for a
// power of two, below which the spacing halves.
double halfSpacing(double x) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  if ((bits & 0x000fffffffffffffull) == 0) return 0;
  return std::bit_cast<double>(bits & 0x7ff0000000000000ull) * 0x1p-53;
}

// D as above. It is first worked out to about 100 bits in pairs of doubles (the differences,
// sums and the remainder of the division exactly), which is its exact value to far better than
// the extended-precision roundings move it: those stay within 2^-60 (|quotient| + |D|). Only a
// value that close to a midpoint between two doubles takes the exact path; the rest give the
// double nearest to it either way.
double differentialValue(float reA, float imA, float reB, float imB, const Extended& slope,
                         double slopeHigh, double slopeLow) {
  // A silent carrier has no phase, so no value.
  if (reB == 0.0f && imB == 0.0f) return std::numeric_limits<double>::quiet_NaN();
  const double imAreB = static_cast<double>(imA) * reB, reAimB = static_cast<double>(reA) * imB;
  const double reBreB = static_cast<double>(reB) * reB, imBimB = static_cast<double>(imB) * imB;
  double crossHigh, crossLow, powerHigh, powerLow;
  twoSum(imAreB, -reAimB, crossHigh, crossLow);
  twoSum(reBreB, imBimB, powerHigh, powerLow);
  const double q1 = crossHigh / powerHigh;
  const double remainder = std::fma(-q1, powerHigh, crossHigh) + crossLow - q1 * powerLow;
  const double q2 = remainder / powerHigh;
  double v1, e1;
  twoSum(q1, slopeHigh, v1, e1);
  double d, dLow;
  twoSum(v1, e1 + q2 + slopeLow, d, dLow);
  const double margin = (std::fabs(q1) + std::fabs(d)) * 0x1p-60;
  const double magnitude = std::fabs(d);
  if (magnitude > 0x1p-900 && magnitude < 0x1p900 && std::fabs(dLow) < halfSpacing(d) - margin)
    return d;
  return exactValue(imAreB, reAimB, reBreB, imBimB, slope);
}

// The slope as a pair of doubles, exactly: its 64 bits split into 53 and the rest.
struct Slope {
  Extended exact;
  double high = 0, low = 0;
  Slope() = default;
  explicit Slope(const Extended& s)
      : exact(s), high(s.toDouble()), low((s - Extended(high)).toDouble()) {}
};

}  // namespace

double differentialValue(float reA, float imA, float reB, float imB, int balance, int slot) {
  const Slope s(balanceSlope(balance, slot));
  return differentialValue(reA, imA, reB, imB, s.exact, s.high, s.low);
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
  Slope slopes[kLastUsedSlot + 1];
  for (int s = kFirstUsedSlot; s <= kLastUsedSlot; ++s) slopes[s] = Slope(balanceSlope(balance, s));
  for (int p = 0; p < kSubColumns; ++p) {
    const auto up = static_cast<std::size_t>(p);
    const auto& re = store.re[up];
    const auto& im = store.im[up];
    auto& luma = planes.luma[up];
    for (int t = 1; t <= kBlocksPerRun; ++t) {
      for (int s = kFirstUsedSlot; s <= kLastUsedSlot; ++s) {
        const std::size_t a = SpectrumStore::index(t - 1, s);
        const std::size_t b = SpectrumStore::index(t, s);
        const Slope& slope = slopes[s];
        const double d =
            differentialValue(re[a], im[a], re[b], im[b], slope.exact, slope.high, slope.low);
        luma[SymbolPlanes::index(t, s)] = d;
        bytes[runByteIndex(t, s, p)] = pictureValueByte(d);
      }
    }
  }
}

}  // namespace mosaic
