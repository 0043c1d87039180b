#include "transmitter/core/carrier_sum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace mosaic {
namespace {

// What adding a carrier means: the double-precision sum, rounded to nearest with ties to even.
std::int32_t plainSum(std::int32_t acc, float phase) {
  return static_cast<std::int32_t>(std::nearbyint(acc + 1200.0 * sinSmallArgument(phase)));
}

TEST(CarrierEstimate, StaysWithinItsErrorOverAllPhases) {
  // Every 7th float from 2^-20 up to 2 pi.
  double worst = 0.0;
  const float twoPi = 6.2831855f;
  for (std::uint32_t bits = 0x35800000u;; bits += 7) {
    float x;
    std::memcpy(&x, &bits, sizeof x);
    if (x > twoPi) break;
    worst = std::max(worst, std::fabs(carrierEstimate(x) - 1200.0 * sinSmallArgument(x)));
  }
  EXPECT_LT(worst, kCarrierEstimateError);
  EXPECT_EQ(carrierEstimate(0.0f), 0.0f);
}

TEST(CarrierSum, RoundsEveryStepAsTheDoubleSum) {
  // Random phases, plus phases whose carrier value lies within the estimate's error of a half,
  // where the double sum must decide.
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> anyPhase(0.0f, 6.2831855f);
  std::uniform_int_distribution<std::int32_t> anySample(-60000, 60000);
  std::vector<float> phase;
  for (int i = 0; i < 20000; ++i) phase.push_back(anyPhase(rng));
  int nearHalf = 0;
  for (float x = 0.0f; nearHalf < 2000; x = std::nextafter(x + 1e-4f, 7.0f)) {
    const double a = 1200.0 * sinSmallArgument(x);
    if (std::fabs(std::fabs(a - std::floor(a)) - 0.5) < 2 * kCarrierEstimateError) {
      phase.push_back(x);
      ++nearHalf;
    }
  }
  std::vector<std::int32_t> acc(phase.size());
  for (auto& a : acc) a = anySample(rng);
  const std::vector<std::int32_t> before = acc;
  addCarrier(phase.data(), static_cast<int>(phase.size()), acc.data());
  int differing = 0;
  for (std::size_t j = 0; j < phase.size(); ++j)
    differing += acc[j] != plainSum(before[j], phase[j]);
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace mosaic
