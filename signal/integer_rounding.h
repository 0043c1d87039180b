#pragma once
// Division of small non-negative integers rounded to the nearest, ties to even: the same result
// as roundHalfEven of the exact quotient, without going through floating point.

namespace mosaic {

// numerator >= 0, divisor > 0.
constexpr int divideRoundHalfEven(int numerator, int divisor) {
  int quotient = numerator / divisor;
  const int twiceRemainder = 2 * (numerator % divisor);
  if (twiceRemainder > divisor || (twiceRemainder == divisor && quotient % 2 != 0)) ++quotient;
  return quotient;
}

}  // namespace mosaic
