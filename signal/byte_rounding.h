#pragma once
// Rounding of a floating-point value to a byte for the per-pixel and per-byte loops: the same
// result as roundToByte (nearest, ties to even, limited to 0..255, NaN gives 0), without the
// library's nearbyint, which saves and restores the floating-point environment on every call.

#include <limits>

namespace mosaic {

// Adding 1.5 * 2^(digits - 1) moves any value below 2^(digits - 2) in magnitude to where the
// spacing of the type's numbers is exactly 1, so the addition itself rounds to the nearest
// integer, ties to even (the default rounding mode); subtracting it again is exact. The shift
// follows the type's own significand, whatever its width on this machine.
template <typename Real>
constexpr Real powerOfTwo(int n) {
  Real r = 1;
  for (int i = 0; i < n; ++i) r *= 2;
  return r;
}

template <typename Real>
inline Real nearestIntegerFast(Real x) {
  constexpr Real kShift = Real(1.5) * powerOfTwo<Real>(std::numeric_limits<Real>::digits - 1);
  const Real shifted = x + kShift;
  return shifted - kShift;
}

template <typename Real>
inline unsigned char roundToByteFast(Real x) {
  if (!(x > Real(0.5))) return 0;   // NaN, negative, and everything that rounds to 0 (0.5 too)
  if (x > Real(254.5)) return 255;  // 254.5 rounds to the even 254, anything above to 255
  return static_cast<unsigned char>(nearestIntegerFast(x));
}

}  // namespace mosaic
