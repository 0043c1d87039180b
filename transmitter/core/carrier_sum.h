#pragma once
// Adding one carrier into the frame: a = 1200 sin(phase) on every synthesis step, rounded into
// the running sample as it is added. The running sample is kept wide and limited to 16 bits only
// when it is stored, so a sum that passes full scale part-way through the carriers and comes back
// in range ends exactly where 16-bit arithmetic that wraps on each addition would end.

#include <cstdint>

namespace mosaic {

// For each step j: acc[j] = round(acc[j] + 1200 sin(phase[j])), rounding to nearest with ties to
// even, the sum and sine taken in double precision. `acc` is not limited here (the frame limits
// it when storing).
void addCarrier(const float* phase, int steps, std::int32_t* acc);

// sin(x) for 0 <= x < 8, accurate to a few units in the last place of a double.
double sinSmallArgument(double x);

// 1200 sin(x) for 0 <= x < 7.8 in single precision, within kCarrierEstimateError of
// 1200 * sinSmallArgument(x). It settles the rounding of every step not that close to a half.
float carrierEstimate(float x);
inline constexpr float kCarrierEstimateError = 0x1p-11f;

}  // namespace mosaic
