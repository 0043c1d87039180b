#pragma once
// Test signals at the receiver's rate: steady tones and carriers whose frequency steps once per
// 256-sample symbol, generated in double precision and rounded to 16 bits.

#include "signal/rounding.h"
#include "signal/timing.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace mosaic::testing {

inline constexpr double kTwoPi = 6.283185307179586476925;

// A steady tone of `frequencyHz` and peak `amplitude`.
inline std::vector<std::int16_t> steadyTone(double frequencyHz, int count,
                                            double amplitude = 8000.0, double startPhase = 0.3) {
  std::vector<std::int16_t> out(static_cast<std::size_t>(count));
  for (int n = 0; n < count; ++n) {
    const double v = amplitude * std::cos(startPhase + kTwoPi * frequencyHz * n / kRxSampleRateHz);
    out[static_cast<std::size_t>(n)] = saturate16(roundHalfEven(v));
  }
  return out;
}

// Carriers k at 37.5 k + 1.25 value(k, symbol) + offsetHz, phase continuous; symbol j covers
// samples firstSymbolSample + 256 j .. + 255 (samples before the first symbol belong to symbol
// -1). Optional white noise of the given standard deviation.
inline std::vector<std::int16_t> steppedCarriers(int count, const std::vector<int>& carriers,
                                                 const std::function<double(int, int)>& value,
                                                 int firstSymbolSample = 0, double offsetHz = 0.0,
                                                 double amplitude = 1200.0, double noise = 0.0,
                                                 unsigned seed = 1) {
  std::vector<double> sum(static_cast<std::size_t>(count), 0.0);
  for (std::size_t c = 0; c < carriers.size(); ++c) {
    const int k = carriers[c];
    double phase = 0.7 * static_cast<double>(c);
    for (int n = 0; n < count; ++n) {
      const int symbol =
          static_cast<int>(std::floor((n - firstSymbolSample) / double(kBlockSamples)));
      const double hz = 37.5 * k + 1.25 * value(k, symbol) + offsetHz;
      sum[static_cast<std::size_t>(n)] += amplitude * std::cos(phase);
      phase += kTwoPi * hz / kRxSampleRateHz;
    }
  }
  std::mt19937 rng(seed);
  std::normal_distribution<double> gauss(0.0, noise > 0 ? noise : 1.0);
  std::vector<std::int16_t> out(static_cast<std::size_t>(count));
  for (int n = 0; n < count; ++n) {
    const double v = sum[static_cast<std::size_t>(n)] + (noise > 0 ? gauss(rng) : 0.0);
    out[static_cast<std::size_t>(n)] = saturate16(roundHalfEven(v));
  }
  return out;
}

// The 49 carriers of the system: luminance 56..91 and colour 12..24.
inline std::vector<int> allCarriers() {
  std::vector<int> k;
  for (int c = 56; c <= 91; ++c) k.push_back(c);
  for (int c = 12; c <= 24; ++c) k.push_back(c);
  return k;
}

}  // namespace mosaic::testing
