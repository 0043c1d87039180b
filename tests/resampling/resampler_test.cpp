#include "resampling/resampler.h"

#include "resampling/kernel.h"
#include "tests/support/digest.h"

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

// A tone's amplitude in `y` (at `rateHz`) by correlation, away from the ends.
double toneAmplitude(const std::vector<float>& y, double hz, double rateHz) {
  double s = 0.0, c = 0.0;
  const std::size_t from = 2000, to = y.size() - 2000;
  for (std::size_t n = from; n < to; ++n) {
    s += y[n] * std::sin(2 * M_PI * hz * double(n) / rateHz);
    c += y[n] * std::cos(2 * M_PI * hz * double(n) / rateHz);
  }
  return 2.0 * std::hypot(s, c) / double(to - from);
}

double rootMeanSquare(const std::vector<float>& y) {
  double sum = 0.0;
  for (std::size_t n = 2000; n < y.size() - 2000; ++n) sum += double(y[n]) * y[n];
  return std::sqrt(sum / double(y.size() - 4000));
}

std::vector<float> toneAt(double hz, double rateHz, std::size_t samples) {
  std::vector<float> x(samples);
  for (std::size_t n = 0; n < samples; ++n)
    x[n] = static_cast<float>(std::sin(2 * M_PI * hz * double(n) / rateHz));
  return x;
}

// Recordings reach the receiver at 9600 Hz: every carrier must keep its level, and nothing
// above 4800 Hz may fold back onto them.
TEST(Resampler, ThePassBandIsFlatAndTheStopBandFarDown) {
  for (double rate : {48000.0, 44100.0, 11025.0}) {
    for (double hz : {300.0, 1500.0, 2900.0, 3412.5, 3600.0}) {
      const auto y = converted<float>(rate, 9600, toneAt(hz, rate, 40000), nullptr);
      EXPECT_NEAR(20 * std::log10(toneAmplitude(y, hz, 9600)), 0.0, 0.01) << rate << " " << hz;
    }
    for (double hz : {4800.0, 5100.0, 9000.0, 14400.0, 20000.0}) {
      if (hz >= rate / 2) continue;
      const auto y = converted<float>(rate, 9600, toneAt(hz, rate, 40000), nullptr);
      EXPECT_LT(20 * std::log10(rootMeanSquare(y) + 1e-30), -115.0) << rate << " " << hz;
    }
  }
  // Raised from 8000 Hz, the highest luminance carrier still comes through whole.
  const auto raised = converted<float>(8000, 9600, toneAt(3412.5, 8000, 40000), nullptr);
  EXPECT_NEAR(20 * std::log10(toneAmplitude(raised, 3412.5, 9600)), 0.0, 0.01);
}

// The output must not depend on the processor: these digests were taken on x86-64, and a
// library sine, a fused multiply-add or a reordered sum anywhere in the converter changes them.
TEST(Resampler, OutputsAreTheRecordedOnes) {
  const std::vector<float> x = sound(30000);
  struct Case {
    double from, to;
    std::uint64_t digest;
  };
  const Case cases[] = {{48000, 9600, 0x69bb8fab22bd85b9},
                        {44100, 9600, 0xdb672694aa7f9011},
                        {8000, 9600, 0xbcab456401b16136},
                        {1.0003, 1.0, 0xb6289e422d351779}};
  for (const Case& c : cases) {
    const auto y = converted<float>(c.from, c.to, x, nullptr);
    EXPECT_EQ(test::Digest::hex(test::Digest().add(y).value()), test::Digest::hex(c.digest))
        << c.from << " to " << c.to;
  }
}

// The kernel's values to the last bit of the double, which the float outputs above would mostly
// hide: taken on x86-64, they tell whether another processor computes the same filter.
TEST(Resampler, TheKernelIsTheRecordedOne) {
  std::vector<double> values;
  for (std::int64_t denominator : {1, 5, 147, 1000})
    for (std::int64_t n = -denominator; n <= 57 * denominator; ++n)
      values.push_back(resampling::kernelAt(n, denominator));
  EXPECT_EQ(test::Digest::hex(test::Digest().add(values).value()), "0x1d4e54fe8747aa78");
}

TEST(Resampler, RatesItCannotConvertAreRefused) {
  for (double from : {0.0, -48000.0, 48000.0 * 129, std::nan("")}) {
    Resampler resampler(from, 48000);
    std::string error;
    EXPECT_FALSE(resampler.ready(error)) << from;
    std::vector<float> out;
    const float x[] = {1.0f, 2.0f};
    EXPECT_FALSE(resampler.convert(x, 2, true, out, error)) << from;
    EXPECT_EQ(error, "cannot resample: the rates' ratio is out of range");
    EXPECT_TRUE(out.empty());
  }
}

}  // namespace
}  // namespace mosaic
