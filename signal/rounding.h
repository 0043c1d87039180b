#pragma once
// Conversions of computed values to integers: nearest, ties to even, then limited where needed.

#include <cmath>
#include <cstdint>

namespace mosaic {

// Nearest integer, ties to even (the default rounding mode). NaN gives 0.
inline long long roundHalfEven(long double x) {
  if (std::isnan(x)) return 0;
  const long double r = std::nearbyint(x);
  if (r >= 9.2e18L) return INT64_MAX;
  if (r <= -9.2e18L) return INT64_MIN;
  return static_cast<long long>(r);
}

// A value rounded and limited to 0..255; NaN gives 0.
inline std::uint8_t roundToByte(long double x) {
  if (std::isnan(x)) return 0;
  const long double r = std::nearbyint(x);
  if (r <= 0) return 0;
  if (r >= 255) return 255;
  return static_cast<std::uint8_t>(r);
}

// A rounded value limited to the signed 16-bit range. Saturating instead of wrapping keeps
// an overload from turning into a full-scale click.
inline std::int16_t saturate16(long long x) {
  if (x > 32767) return 32767;
  if (x < -32768) return -32768;
  return static_cast<std::int16_t>(x);
}

// A computed sound value as a 16-bit sample: nearest, ties to even, limited to full scale.
inline std::int16_t roundToSample(long double x) { return saturate16(roundHalfEven(x)); }

}  // namespace mosaic
