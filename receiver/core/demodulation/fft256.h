#pragma once
// A 256-point complex transform with the positive exponent and no scaling:
// X[k] = sum over n of x[n] e^(+j 2 pi k n / 256). In-place radix-2 decimation in frequency,
// single precision, results in bit-reversed order.

#include "signal/timing.h"

#include <array>
#include <cstdint>

namespace mosaic {

class Fft256 {
 public:
  static constexpr int kSize = kBlockSamples;

  Fft256();

  // Transforms run side by side in one batch call.
  static constexpr int kBatch = 16;

  // Transforms kBatch blocks in place at once, interleaved: value n of block j is at
  // [n * kBatch + j]; bin k of block j ends up at [bitReversed(k) * kBatch + j]. Working on all
  // of them together lets every stage run on vector registers.
  void transformBatch(float* re, float* im) const;
  // Where bin k lies after the transform.
  int bitReversed(int k) const { return bitReverse_[static_cast<std::size_t>(k)]; }

 private:
  // Twiddle factors e^(+j 2 pi i / 256) laid out per stage: the h factors of the stage with
  // half-size h start at index h, so every stage reads them contiguously.
  std::array<float, kSize> twiddleRe_{};
  std::array<float, kSize> twiddleIm_{};
  std::array<std::uint8_t, kSize> bitReverse_{};
};

}  // namespace mosaic
