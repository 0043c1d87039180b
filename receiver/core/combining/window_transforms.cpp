#include "receiver/core/combining/window_transforms.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace mosaic {

namespace {
constexpr int kFirstQuietBin = 30;
constexpr int kLastQuietBin = 50;
// White noise through the Hann taper keeps the mean square of the taper, 3/8, of its power.
constexpr double kHannNoiseShare = 0.375;
}  // namespace

WindowTransforms::WindowTransforms() {
  const double twoPi = 8.0 * std::atan(1.0);
  for (int n = 0; n < Fft256::kSize; ++n)
    hann_[static_cast<std::size_t>(n)] =
        static_cast<float>(0.5 - 0.5 * std::cos(twoPi * n / Fft256::kSize));
}

void WindowTransforms::transformBatch(const MixedSignal& mixed, std::span<const int> starts,
                                      const float* taper) {
  constexpr int kBatch = Fft256::kBatch;
  const int lanes = static_cast<int>(starts.size());
  for (int lane = 0; lane < kBatch; ++lane) {
    // Unused lanes repeat the first window rather than transform stale values.
    const auto first =
        static_cast<std::size_t>(starts[static_cast<std::size_t>(lane < lanes ? lane : 0)]);
    for (int n = 0; n < Fft256::kSize; ++n) {
      const float w = taper ? taper[n] : 1.0f;
      re_[static_cast<std::size_t>(n * kBatch + lane)] =
          w * mixed.i[first + static_cast<std::size_t>(n)];
      im_[static_cast<std::size_t>(n * kBatch + lane)] =
          w * mixed.q[first + static_cast<std::size_t>(n)];
    }
  }
  fft_.transformBatch(re_.data(), im_.data());
}

std::complex<float> WindowTransforms::bin(int k, int lane) const {
  const auto at = static_cast<std::size_t>(fft_.bitReversed(k) * Fft256::kBatch + lane);
  return {re_[at], im_[at]};
}

void WindowTransforms::transform(const MixedSignal& mixed, std::span<const int> starts,
                                 std::span<CarrierBins> out) {
  for (std::size_t first = 0; first < starts.size(); first += Fft256::kBatch) {
    const std::size_t count = std::min<std::size_t>(Fft256::kBatch, starts.size() - first);
    transformBatch(mixed, starts.subspan(first, count));
    for (std::size_t lane = 0; lane < count; ++lane) {
      CarrierBins& bins = out[first + lane];
      for (int slot = kFirstUsedSlot; slot <= kLastUsedSlot; ++slot)
        bins[static_cast<std::size_t>(slot - kFirstUsedSlot)] =
            bin(binOfSlot(slot), static_cast<int>(lane));
    }
  }
}

double WindowTransforms::noisePower(const MixedSignal& mixed, std::span<const int> starts) {
  double sum = 0.0;
  for (std::size_t first = 0; first < starts.size(); first += Fft256::kBatch) {
    const std::size_t count = std::min<std::size_t>(Fft256::kBatch, starts.size() - first);
    transformBatch(mixed, starts.subspan(first, count), hann_.data());
    for (std::size_t lane = 0; lane < count; ++lane)
      for (int k = kFirstQuietBin; k <= kLastQuietBin; ++k)
        sum += std::norm(std::complex<double>(bin(k, static_cast<int>(lane))));
  }
  const auto bins = static_cast<double>(starts.size()) * (kLastQuietBin - kFirstQuietBin + 1);
  return bins > 0.0 ? sum / bins / kHannNoiseShare : 0.0;
}

}  // namespace mosaic
