#include "signal/extended.h"

#include <bit>
#include <cmath>
#include <limits>

namespace mosaic {

namespace {
// GCC and Clang offer 128-bit integers on every 64-bit target.
__extension__ typedef unsigned __int128 u128;
constexpr u128 kTopBit = u128{1} << 127;

int leadingZeros(u128 m) {
  const auto high = static_cast<std::uint64_t>(m >> 64);
  return high ? std::countl_zero(high) : 64 + std::countl_zero(static_cast<std::uint64_t>(m));
}

// Shifts m right by `by` bits, keeping whether anything was lost in its lowest bit. As long as
// that bit lies far below the place where the result is rounded, rounding the shifted value
// gives the rounding of the exact one: it is odd where the exact value is not a whole number of
// units, so it never falls on a midpoint the exact value misses, nor crosses one.
u128 shiftRightSticky(u128 m, int by) {
  if (by <= 0) return m;
  if (by >= 128) return m != 0;
  const bool lost = (m & ((u128{1} << by) - 1)) != 0;
  return (m >> by) | u128{lost};
}
}  // namespace

// A value before its rounding: (-1)^negative * m * 2^e, its lowest bit possibly standing for
// more below it (see shiftRightSticky).
struct Unrounded {
  bool negative = false;
  u128 m = 0;
  int e = 0;
};

struct ExtendedArithmetic {
  static Extended special(Extended::Kind kind, bool negative) {
    Extended x;
    x.kind_ = kind;
    x.negative_ = negative;
    return x;
  }

  static Extended whole(std::uint64_t magnitude, bool negative) {
    if (magnitude == 0) return special(Extended::Kind::Zero, negative);
    const int z = std::countl_zero(magnitude);
    Extended x;
    x.kind_ = Extended::Kind::Finite;
    x.negative_ = negative;
    x.significand_ = magnitude << z;
    x.exponent_ = 63 - z;
    return x;
  }

  static Unrounded unrounded(const Extended& x) {
    return {x.negative_, u128{x.significand_} << 64, x.exponent_ - 63 - 64};
  }

  // Rounds to 64 significant bits, ties to even.
  static Extended round(Unrounded u) {
    if (u.m == 0) return special(Extended::Kind::Zero, u.negative);
    const int z = leadingZeros(u.m);
    u.m <<= z;
    u.e -= z;
    auto kept = static_cast<std::uint64_t>(u.m >> 64);
    const auto rest = static_cast<std::uint64_t>(u.m);
    constexpr std::uint64_t half = std::uint64_t{1} << 63;
    int exponent = u.e + 127;  // of the leading bit
    if (rest > half || (rest == half && (kept & 1))) {
      if (++kept == 0) {
        kept = half;
        ++exponent;
      }
    }
    Extended x;
    x.kind_ = Extended::Kind::Finite;
    x.negative_ = u.negative;
    x.significand_ = kept;
    x.exponent_ = exponent;
    return x;
  }

  // Rounds to the binary format T (float or double), ties to even, with its subnormal numbers
  // and its overflow to infinity.
  template <typename T>
  static T roundTo(Unrounded u) {
    if (u.m == 0) return u.negative ? -T(0) : T(0);
    constexpr int digits = std::numeric_limits<T>::digits;
    constexpr int minExponent = std::numeric_limits<T>::min_exponent - 1;  // of the least normal
    const int z = leadingZeros(u.m);
    u.m <<= z;
    u.e -= z;
    const int top = u.e + 127;  // the exponent of the leading bit
    const int bits = top >= minExponent ? digits : digits - (minExponent - top);
    T magnitude;
    if (bits <= 0) {
      // At most half the least subnormal number: a tie at exactly half goes to the even 0.
      magnitude = bits == 0 && u.m > kTopBit ? std::numeric_limits<T>::denorm_min() : T(0);
    } else {
      auto kept = static_cast<std::uint64_t>(u.m >> (128 - bits));
      const u128 rest = u.m << bits;
      if (rest > kTopBit || (rest == kTopBit && (kept & 1))) ++kept;
      // Exact: kept has at most `bits` + 1 bits and the result lies on the format's grid.
      magnitude = std::ldexp(static_cast<T>(kept), top - bits + 1);
    }
    return u.negative ? -magnitude : magnitude;
  }

  // The exact sum of two finite non-zero values, the smaller one's lost bits kept as a sticky bit.
  static Unrounded exactSum(const Extended& a, const Extended& b) {
    const bool aLarger = a.exponent_ > b.exponent_ ||
                         (a.exponent_ == b.exponent_ && a.significand_ >= b.significand_);
    const Extended& large = aLarger ? a : b;
    const Extended& small = aLarger ? b : a;
    Unrounded u = unrounded(large);
    const u128 other =
        shiftRightSticky(u128{small.significand_} << 64, large.exponent_ - small.exponent_);
    if (large.negative_ == small.negative_) {
      const u128 sum = u.m + other;
      if (sum < u.m) {  // carried out of 128 bits
        u.m = shiftRightSticky(sum, 1) | kTopBit;
        ++u.e;
      } else {
        u.m = sum;
      }
    } else {
      u.m -= other;
      if (u.m == 0) u.negative = false;  // x - x is +0 when rounding to nearest
    }
    return u;
  }

  // a + b for any values: the special cases as in hardware, finite sums exactly, unrounded.
  // Returns false with `result` set where the answer needs no rounding.
  static bool sumCases(const Extended& a, const Extended& b, Extended& result) {
    using K = Extended::Kind;
    if (a.kind_ == K::NaN || b.kind_ == K::NaN) {
      result = Extended::notANumber();
    } else if (a.kind_ == K::Infinite || b.kind_ == K::Infinite) {
      const bool opposite =
          a.kind_ == K::Infinite && b.kind_ == K::Infinite && a.negative_ != b.negative_;
      result = opposite ? Extended::notANumber() : (a.kind_ == K::Infinite ? a : b);
    } else if (a.kind_ == K::Zero) {
      result = b.kind_ == K::Zero ? special(K::Zero, a.negative_ && b.negative_) : b;
    } else if (b.kind_ == K::Zero) {
      result = a;
    } else {
      return true;
    }
    return false;
  }
};

Extended::Extended(double x) {
  if (x == 0) {
    negative_ = std::signbit(x);
    return;
  }
  if (std::isnan(x)) {
    kind_ = Kind::NaN;
    return;
  }
  negative_ = std::signbit(x);
  if (std::isinf(x)) {
    kind_ = Kind::Infinite;
    return;
  }
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  int exponent = biased - 1023;
  if (biased == 0) {
    exponent = -1022;  // subnormal: no hidden bit
  } else {
    fraction |= std::uint64_t{1} << 52;
  }
  const int z = std::countl_zero(fraction);
  kind_ = Kind::Finite;
  significand_ = fraction << z;
  exponent_ = exponent + 11 - z;
}

Extended::Extended(long long n) {
  const auto magnitude = static_cast<std::uint64_t>(n);
  *this = ExtendedArithmetic::whole(n < 0 ? ~magnitude + 1 : magnitude, n < 0);
}

Extended Extended::notANumber() { return ExtendedArithmetic::special(Kind::NaN, false); }

Extended Extended::infinity(bool negative) {
  return ExtendedArithmetic::special(Kind::Infinite, negative);
}

Extended Extended::operator-() const {
  Extended x = *this;
  if (kind_ != Kind::NaN) x.negative_ = !negative_;
  return x;
}

Extended operator+(const Extended& a, const Extended& b) {
  Extended result;
  if (!ExtendedArithmetic::sumCases(a, b, result)) return result;
  return ExtendedArithmetic::round(ExtendedArithmetic::exactSum(a, b));
}

Extended operator-(const Extended& a, const Extended& b) { return a + (-b); }

Extended operator*(const Extended& a, const Extended& b) {
  using K = Extended::Kind;
  const bool negative = a.negative_ != b.negative_;
  if (a.kind_ == K::NaN || b.kind_ == K::NaN) return Extended::notANumber();
  if (a.kind_ == K::Infinite || b.kind_ == K::Infinite) {
    if (a.kind_ == K::Zero || b.kind_ == K::Zero) return Extended::notANumber();
    return Extended::infinity(negative);
  }
  if (a.kind_ == K::Zero || b.kind_ == K::Zero)
    return ExtendedArithmetic::special(K::Zero, negative);
  return ExtendedArithmetic::round(
      {negative, u128{a.significand_} * b.significand_, a.exponent_ + b.exponent_ - 126});
}

Extended operator/(const Extended& a, const Extended& b) {
  using K = Extended::Kind;
  const bool negative = a.negative_ != b.negative_;
  if (a.kind_ == K::NaN || b.kind_ == K::NaN) return Extended::notANumber();
  if (a.kind_ == K::Infinite)
    return b.kind_ == K::Infinite ? Extended::notANumber() : Extended::infinity(negative);
  if (b.kind_ == K::Infinite) return ExtendedArithmetic::special(K::Zero, negative);
  if (b.kind_ == K::Zero)
    return a.kind_ == K::Zero ? Extended::notANumber() : Extended::infinity(negative);
  if (a.kind_ == K::Zero) return ExtendedArithmetic::special(K::Zero, negative);
  // 128 bits of the quotient of the significands, its leading bit at the top, in two long
  // divisions; the last remainder becomes the sticky bit.
  const std::uint64_t divisor = b.significand_;
  const bool atLeastOne = a.significand_ >= divisor;
  const u128 numerator = u128{a.significand_} << (atLeastOne ? 63 : 64);
  const u128 high = numerator / divisor;
  const u128 remainder = (numerator % divisor) << 64;
  const u128 low = remainder / divisor;
  const u128 m = (high << 64) | low | u128{remainder % divisor != 0};
  return ExtendedArithmetic::round(
      {negative, m, a.exponent_ - b.exponent_ - (atLeastOne ? 127 : 128)});
}

bool operator==(const Extended& a, const Extended& b) {
  using K = Extended::Kind;
  if (a.kind_ == K::NaN || b.kind_ == K::NaN) return false;
  if (a.kind_ == K::Zero && b.kind_ == K::Zero) return true;  // +0 == -0
  return a.kind_ == b.kind_ && a.negative_ == b.negative_ &&
         (a.kind_ == K::Infinite ||
          (a.exponent_ == b.exponent_ && a.significand_ == b.significand_));
}

bool operator<(const Extended& a, const Extended& b) {
  using K = Extended::Kind;
  if (a.kind_ == K::NaN || b.kind_ == K::NaN || a == b) return false;
  if (a.kind_ == K::Zero) return !b.negative_;
  if (b.kind_ == K::Zero) return a.negative_;
  if (a.negative_ != b.negative_) return a.negative_;
  // Same sign: compare magnitudes, infinity being the largest.
  bool smallerMagnitude;
  if (a.kind_ == K::Infinite || b.kind_ == K::Infinite) {
    smallerMagnitude = b.kind_ == K::Infinite;
  } else {
    smallerMagnitude = a.exponent_ < b.exponent_ ||
                       (a.exponent_ == b.exponent_ && a.significand_ < b.significand_);
  }
  return smallerMagnitude != a.negative_;
}

double Extended::toDouble() const {
  switch (kind_) {
    case Kind::Zero:
      return negative_ ? -0.0 : 0.0;
    case Kind::Infinite:
      return negative_ ? -std::numeric_limits<double>::infinity()
                       : std::numeric_limits<double>::infinity();
    case Kind::NaN:
      return std::numeric_limits<double>::quiet_NaN();
    case Kind::Finite:
      break;
  }
  return ExtendedArithmetic::roundTo<double>(ExtendedArithmetic::unrounded(*this));
}

float Extended::toFloat() const {
  if (kind_ != Kind::Finite) return static_cast<float>(toDouble());  // exact for these
  return ExtendedArithmetic::roundTo<float>(ExtendedArithmetic::unrounded(*this));
}

float Extended::sumToFloat(float a, const Extended& b) {
  const Extended x(a);
  Extended special;
  if (!ExtendedArithmetic::sumCases(x, b, special)) return special.toFloat();
  return ExtendedArithmetic::roundTo<float>(ExtendedArithmetic::exactSum(x, b));
}

Extended Extended::nearestInteger() const {
  // At 2^63 and above every value is whole; below 1/2 in magnitude the nearest is 0.
  if (kind_ != Kind::Finite || exponent_ >= 63) return *this;
  if (exponent_ < -1) return ExtendedArithmetic::special(Kind::Zero, negative_);
  const int fractionBits = 63 - exponent_;                   // 1..64
  const u128 m = u128{significand_} << (64 - fractionBits);  // whole part above bit 64
  auto whole = static_cast<std::uint64_t>(m >> 64);
  const auto fraction = static_cast<std::uint64_t>(m);
  constexpr std::uint64_t half = std::uint64_t{1} << 63;
  if (fraction > half || (fraction == half && (whole & 1))) ++whole;
  return ExtendedArithmetic::whole(whole, negative_);
}

Extended Extended::floor() const {
  if (kind_ != Kind::Finite || exponent_ >= 63) return *this;
  if (exponent_ < 0) return ExtendedArithmetic::whole(negative_ ? 1 : 0, negative_);
  const int fractionBits = 63 - exponent_;  // 1..63
  const std::uint64_t whole = significand_ >> fractionBits;
  const bool hasFraction = (significand_ << (64 - fractionBits)) != 0;
  return ExtendedArithmetic::whole(whole + (negative_ && hasFraction), negative_);
}

}  // namespace mosaic
