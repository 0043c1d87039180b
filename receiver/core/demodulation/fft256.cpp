#include "receiver/core/demodulation/fft256.h"

#include <cmath>

namespace mosaic {

namespace {
// The factors are the cosine and sine of 2 pi j / 256 in extended precision, rounded to single.
// Double precision gives the same floats but at the quarter turn, where the cosine is the error
// of the angle itself: extended precision's 2 pi / 4 lies 2.5e-20 above pi / 2.
constexpr float kQuarterTurnCosine = -0x1.d9ccecp-66f;
}  // namespace

Fft256::Fft256() {
  const double twoPi = 8.0 * std::atan(1.0);
  for (int h = 1; h < kSize; h *= 2) {
    const int stride = kSize / 2 / h;  // the stage with half-size h uses every stride-th factor
    for (int j = 0; j < h; ++j) {
      const int steps = j * stride;  // of 2 pi / 256
      const double angle = twoPi * steps / kSize;
      twiddleRe_[static_cast<std::size_t>(h + j)] =
          4 * steps == kSize ? kQuarterTurnCosine : static_cast<float>(std::cos(angle));
      twiddleIm_[static_cast<std::size_t>(h + j)] = static_cast<float>(std::sin(angle));
    }
  }
  for (int k = 0; k < kSize; ++k) {
    int r = 0;
    for (int bit = 0; bit < 8; ++bit) r |= ((k >> bit) & 1) << (7 - bit);
    bitReverse_[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(r);
  }
}

void Fft256::transformBatch(float* re, float* im) const {
  constexpr int B = kBatch;
  for (int h = kSize / 2; h >= 1; h /= 2) {
    for (int start = 0; start < kSize; start += 2 * h) {
      for (int j = 0; j < h; ++j) {
        const float wRe = twiddleRe_[static_cast<std::size_t>(h + j)];
        const float wIm = twiddleIm_[static_cast<std::size_t>(h + j)];
        // The four rows never overlap; saying so lets the compiler use vector registers.
        float* __restrict aRe = re + (start + j) * B;
        float* __restrict aIm = im + (start + j) * B;
        float* __restrict bRe = re + (start + j + h) * B;
        float* __restrict bIm = im + (start + j + h) * B;
        for (int lane = 0; lane < B; ++lane) {
          const float sumRe = aRe[lane] + bRe[lane];
          const float sumIm = aIm[lane] + bIm[lane];
          const float diffRe = aRe[lane] - bRe[lane];
          const float diffIm = aIm[lane] - bIm[lane];
          aRe[lane] = sumRe;
          aIm[lane] = sumIm;
          bRe[lane] = diffRe * wRe - diffIm * wIm;
          bIm[lane] = diffRe * wIm + diffIm * wRe;
        }
      }
    }
  }
}

}  // namespace mosaic
