#pragma once
// Rounding of an extended-precision value to a byte for the per-pixel and per-byte loops: the
// same result as roundToByte (nearest, ties to even, limited to 0..255, NaN gives 0), without
// the library's nearbyint, which saves and restores the floating-point environment on every call.

namespace mosaic {

// Adding 1.5 * 2^63 moves any value below 2^62 in magnitude to where the spacing of extended-
// precision numbers is exactly 1, so the addition itself rounds to the nearest integer, ties to
// even (the default rounding mode); subtracting it again is exact.
inline long double nearestIntegerFast(long double x) {
  constexpr long double kShift = 1.5L * 9223372036854775808.0L;  // 1.5 * 2^63
  const long double shifted = x + kShift;
  return shifted - kShift;
}

inline unsigned char roundToByteFast(long double x) {
  if (!(x > 0.5L)) return 0;   // NaN, negative, and everything that rounds to 0 (0.5 too)
  if (x > 254.5L) return 255;  // 254.5 rounds to the even 254, anything above to 255
  return static_cast<unsigned char>(nearestIntegerFast(x));
}

}  // namespace mosaic
