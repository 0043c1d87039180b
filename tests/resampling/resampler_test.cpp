#include "resampling/resampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace mosaic {
namespace {

// Two tones and a slow wander, on the 16-bit scale.
std::vector<float> sound(std::size_t samples) {
  std::vector<float> x(samples);
  for (std::size_t n = 0; n < samples; ++n)
    x[n] = static_cast<float>(9000.0 * std::sin(0.31 * double(n)) +
                              4000.0 * std::sin(0.047 * double(n)) + 2000.0 * std::sin(1e-4 * n));
  return x;
}

// `x` converted in one piece, or cut into pieces of random sizes, some of them empty (a stream
// that had nothing new), the end marked on an empty piece of its own.
template <typename Sample>
std::vector<Sample> converted(double inputRate, double outputRate, const std::vector<float>& x,
                              std::mt19937* cuts) {
  Resampler resampler(inputRate, outputRate);
  std::vector<Sample> out;
  std::string error;
  if (!cuts) {
    EXPECT_TRUE(resampler.convert(x.data(), x.size(), true, out, error)) << error;
    return out;
  }
  std::uniform_int_distribution<std::size_t> size(1, 5000);
  for (std::size_t at = 0; at < x.size();) {
    const bool empty = (*cuts)() % 4 == 0;
    const std::size_t count = empty ? 0 : std::min(size(*cuts), x.size() - at);
    EXPECT_TRUE(resampler.convert(x.data() + at, count, false, out, error)) << error;
    at += count;
  }
  EXPECT_TRUE(resampler.convert(x.data(), 0, true, out, error)) << error;
  return out;
}

// Sound that arrives in pieces (files read piece by piece, network packets) must come out
// the same however it was cut, to the last sample, at a whole and at an irrational ratio.
TEST(Resampler, AnyCuttingOfTheInputGivesTheSameOutput) {
  const std::vector<float> x = sound(200000);
  std::mt19937 cuts(5);
  const auto whole9600 = converted<std::int16_t>(48000, 9600, x, nullptr);
  EXPECT_EQ(whole9600.size(), 40000u);
  EXPECT_EQ(converted<std::int16_t>(48000, 9600, x, &cuts), whole9600);
  const auto wholeClock = converted<float>(1.0003, 1.0, x, nullptr);
  EXPECT_NEAR(static_cast<double>(wholeClock.size()), 200000 / 1.0003, 1.0);
  EXPECT_EQ(converted<float>(1.0003, 1.0, x, &cuts), wholeClock);
  // Equal rates pass the samples through, rounded where 16 bits are asked for.
  EXPECT_EQ(converted<float>(9600, 9600, x, &cuts), x);
  const auto same = converted<std::int16_t>(9600, 9600, {0.5f, 1.5f, -2.5f, 40000.0f}, nullptr);
  EXPECT_EQ(same, (std::vector<std::int16_t>{0, 2, -2, 32767}));
}

}  // namespace
}  // namespace mosaic
