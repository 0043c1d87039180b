#pragma once
// Extended precision as the system's arithmetic is defined: a 64-bit significand, and every
// operation rounded to nearest with ties to even -- the format of the x87 unit's registers, in
// which the x86 builds first computed. Written out in integer arithmetic, so that every machine
// computes the same numbers, whatever its own `long double` is (the 80-bit x87 format on x86,
// a 113-bit software format on arm64). Results are exact to the last bit: conversions to and
// from float and double, sums, differences, products and quotients. The exponent is not limited:
// the values met here lie far inside the x87 unit's range.

#include <cstdint>

namespace mosaic {

class Extended {
 public:
  constexpr Extended() = default;  // +0
  explicit Extended(double x);     // exact
  explicit Extended(float x) : Extended(static_cast<double>(x)) {}
  explicit Extended(long long n);  // exact
  explicit Extended(int n) : Extended(static_cast<long long>(n)) {}

  friend Extended operator+(const Extended& a, const Extended& b);
  friend Extended operator-(const Extended& a, const Extended& b);
  friend Extended operator*(const Extended& a, const Extended& b);
  friend Extended operator/(const Extended& a, const Extended& b);
  Extended operator-() const;

  // Ordered comparisons are false when either side is not a number, as in hardware.
  friend bool operator==(const Extended& a, const Extended& b);
  friend bool operator<(const Extended& a, const Extended& b);
  friend bool operator>(const Extended& a, const Extended& b) { return b < a; }
  friend bool operator<=(const Extended& a, const Extended& b) { return a < b || a == b; }
  friend bool operator>=(const Extended& a, const Extended& b) { return b <= a; }

  // Nearest, ties to even, with the smaller formats' subnormal numbers and infinities.
  double toDouble() const;
  float toFloat() const;
  explicit operator double() const { return toDouble(); }
  explicit operator float() const { return toFloat(); }

  // The nearest whole number, ties to even; and the largest whole number not above.
  Extended nearestInteger() const;
  Extended floor() const;

  bool isNaN() const { return kind_ == Kind::NaN; }
  bool isFinite() const { return kind_ == Kind::Zero || kind_ == Kind::Finite; }
  bool isZero() const { return kind_ == Kind::Zero; }
  bool negative() const { return negative_; }
  // A finite non-zero value is significand * 2^(exponent - 63), the significand's top bit set.
  std::uint64_t significand() const { return significand_; }
  int exponent() const { return exponent_; }

  // a + b rounded once, straight to single precision (not first to extended precision): what
  // the x87 unit gives with its precision control set to 24 bits.
  static float sumToFloat(float a, const Extended& b);

  static Extended notANumber();
  static Extended infinity(bool negative);

 private:
  enum class Kind : std::uint8_t { Zero, Finite, Infinite, NaN };
  friend struct ExtendedArithmetic;

  std::uint64_t significand_ = 0;
  std::int32_t exponent_ = 0;
  bool negative_ = false;
  Kind kind_ = Kind::Zero;
};

}  // namespace mosaic
