#pragma once
// Adding one carrier into the frame: a = 1200 sin(phase) on every synthesis step, rounded into
// the running sample as it is added.

namespace mosaic {

// For each step j: acc[j] = limit(round(acc[j] + 1200 sin(phase[j]))), rounding to nearest with
// ties to even and limiting to -32768..32767. `acc` holds whole numbers.
void addCarrier(const float* phase, int steps, double* acc);

// sin(x) for 0 <= x < 8, accurate to a few units in the last place of a double.
double sinSmallArgument(double x);

}  // namespace mosaic
