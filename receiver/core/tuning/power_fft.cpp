#include "receiver/core/tuning/power_fft.h"

#include "receiver/core/tuning/complex_product.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

namespace {
constexpr double kFullScale = 32767.0;
}  // namespace

PowerFft::PowerFft(int size)
    : size_(size),
      bits_(static_cast<int>(std::lround(std::log2(size)))),
      bitReverse_(static_cast<std::size_t>(size)),
      twiddleRe_(static_cast<std::size_t>(size)),
      twiddleIm_(static_cast<std::size_t>(size)),
      re_(static_cast<std::size_t>(size)),
      im_(static_cast<std::size_t>(size)) {
  for (int n = 0; n < size; ++n) {
    int r = 0;
    for (int bit = 0; bit < bits_; ++bit) r |= ((n >> bit) & 1) << (bits_ - 1 - bit);
    bitReverse_[static_cast<std::size_t>(n)] = r;
  }
  // The stage that joins transforms of size `half` uses e^(-j 2 pi j / (2 half)), j < half,
  // stored from index `half` on, so each stage reads its factors side by side.
  for (int half = 1; half < size; half *= 2) {
    for (int j = 0; j < half; ++j) {
      const double a = -kTwoPi * j / (2.0 * half);
      twiddleRe_[static_cast<std::size_t>(half + j)] = static_cast<float>(std::cos(a));
      twiddleIm_[static_cast<std::size_t>(half + j)] = static_cast<float>(std::sin(a));
    }
  }
}

void PowerFft::power(std::span<const float> samples, int firstBin, std::span<float> power) {
  const int count = std::min(static_cast<int>(samples.size()), size_);
  if (static_cast<int>(window_.size()) != count) {
    window_.resize(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
      window_[static_cast<std::size_t>(n)] =
          static_cast<float>(0.5 - 0.5 * std::cos(kTwoPi * (n + 0.5) / count));
  }
  float* re = re_.data();
  float* im = im_.data();
  std::fill(re_.begin(), re_.end(), 0.0f);
  std::fill(im_.begin(), im_.end(), 0.0f);
  for (int n = 0; n < count; ++n) {
    re[bitReverse_[static_cast<std::size_t>(n)]] =
        samples[static_cast<std::size_t>(n)] * window_[static_cast<std::size_t>(n)];
  }
  // Radix-2 decimation in time, in place.
  for (int half = 1; half < size_; half *= 2) {
    const float* wRe = twiddleRe_.data() + half;
    const float* wIm = twiddleIm_.data() + half;
    for (int start = 0; start < size_; start += 2 * half) {
      float* __restrict aRe = re + start;
      float* __restrict aIm = im + start;
      float* __restrict bRe = re + start + half;
      float* __restrict bIm = im + start + half;
      for (int j = 0; j < half; ++j) {
        const float tRe = bRe[j] * wRe[j] - bIm[j] * wIm[j];
        const float tIm = bRe[j] * wIm[j] + bIm[j] * wRe[j];
        bRe[j] = aRe[j] - tRe;
        bIm[j] = aIm[j] - tIm;
        aRe[j] += tRe;
        aIm[j] += tIm;
      }
    }
  }
  // A full-scale sine gives amplitude 32767 x (sum of the window) / 2 = 32767 x count / 4.
  const double scale = 1.0 / (kFullScale * count / 4.0 * kFullScale * count / 4.0);
  for (std::size_t i = 0; i < power.size(); ++i) {
    const auto at = static_cast<std::size_t>(firstBin) + i;
    power[i] =
        at < re_.size() ? static_cast<float>((re[at] * re[at] + im[at] * im[at]) * scale) : 0.0f;
  }
}

}  // namespace mosaic
