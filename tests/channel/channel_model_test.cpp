#include "channel/channel_model.h"
#include "channel/fft_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace mosaic {
namespace {

constexpr int kRate = 48000;

std::vector<float> tone(double hz, int samples, double amplitude = 1000.0) {
  std::vector<float> x(samples);
  for (int n = 0; n < samples; ++n)
    x[n] = static_cast<float>(amplitude * std::sin(2 * M_PI * hz * n / kRate));
  return x;
}

// Power of x at frequency hz over the middle of the signal (a single-bin correlation).
double powerAt(const std::vector<float>& x, double hz) {
  const std::size_t from = x.size() / 4, to = 3 * x.size() / 4;
  std::complex<double> acc;
  for (std::size_t n = from; n < to; ++n)
    acc += double(x[n]) * std::polar(1.0, -2 * M_PI * hz * n / kRate);
  const double a = 2.0 * std::abs(acc) / static_cast<double>(to - from);
  return a * a / 2.0;
}

double meanPower(const std::vector<float>& x, std::size_t from, std::size_t to) {
  double s = 0;
  for (std::size_t n = from; n < to; ++n) s += double(x[n]) * x[n];
  return s / static_cast<double>(to - from);
}

TEST(FftFilter, CentredFilteringKeepsAnImpulseInPlace) {
  std::vector<float> x(1000, 0.0f);
  x[500] = 1.0f;
  const std::vector<double> h{0.25, 0.5, 0.25};
  const auto y = filterCentred(x, h);
  EXPECT_NEAR(y[499], 0.25, 1e-9);
  EXPECT_NEAR(y[500], 0.5, 1e-9);
  EXPECT_NEAR(y[501], 0.25, 1e-9);
  EXPECT_NEAR(y[502], 0.0, 1e-9);
}

TEST(ChannelModel, HilbertShiftsByNinetyDegrees) {
  const auto x = tone(2100.0, kRate);
  const auto q = hilbertTransform(x);
  // sin becomes -cos: x^2 + q^2 is constant in the middle of the signal.
  for (int n = kRate / 4; n < 3 * kRate / 4; n += 997) {
    EXPECT_NEAR(std::hypot(x[n], q[n]), 1000.0, 5.0) << n;
    EXPECT_NEAR(q[n], -1000.0 * std::cos(2 * M_PI * 2100.0 * n / kRate), 5.0) << n;
  }
}

TEST(ChannelModel, OffsetMovesEveryFrequency) {
  const auto y = shiftFrequency(tone(2100.0, kRate), kRate, -3.0);
  EXPECT_NEAR(powerAt(y, 2097.0), 500000.0, 5000.0);
  EXPECT_LT(powerAt(y, 2103.0), 500.0);
  EXPECT_LT(powerAt(y, 2100.0), 50000.0);
}

TEST(ChannelModel, NoiseHasTheRequestedPowerIn3000Hz) {
  const auto x = tone(1000.0, kRate);  // power 500000
  const auto y = addNoise(x, kRate, 10.0, 3);
  std::vector<float> noise(x.size());
  for (std::size_t n = 0; n < x.size(); ++n) noise[n] = y[n] - x[n];
  // In 3000 Hz: 500000 / 10 = 50000; over the full 24000 Hz, eight times that.
  EXPECT_NEAR(meanPower(noise, 0, noise.size()), 400000.0, 8000.0);
  EXPECT_EQ(addNoise(x, kRate, 10.0, 3), y);  // the same seed, the same noise
  EXPECT_NE(addNoise(x, kRate, 10.0, 4), y);
}

TEST(ChannelModel, PassbandKeepsTheBandAndRemovesTheRest) {
  std::vector<float> x = tone(1500.0, kRate);
  const auto outside = tone(3500.0, kRate);
  for (std::size_t n = 0; n < x.size(); ++n) x[n] += outside[n];
  const auto y = bandPass(x, kRate, 300.0, 3000.0);
  EXPECT_NEAR(powerAt(y, 1500.0), 500000.0, 5000.0);
  EXPECT_LT(powerAt(y, 3500.0), 50.0);
}

// A clock `ppm` fast plays the same sound in fewer samples: the output must be the input's tone
// sampled at the fast clock, in level, frequency and time alike, over ten seconds, whatever the
// sign and size of the error.
TEST(ChannelModel, ClockErrorIsTheToneSampledByTheFastClock) {
  for (double ppm : {200.0, -91.2, 10000.0, -10000.0}) {
    const double fast = 1.0 + ppm * 1e-6;
    const auto x = tone(2100.0, 10 * kRate, 10000.0);
    const auto y = clockError(x, ppm);
    EXPECT_NEAR(static_cast<double>(y.size()), x.size() / fast, 1.0) << ppm;
    // A frequency off by 0.001 ppm would stray 1.3 from the ideal by the end.
    double worst = 0.0;
    for (std::size_t n = 1000; n + 1000 < y.size(); ++n) {
      const double ideal = 10000.0 * std::sin(2 * M_PI * 2100.0 * fast * n / kRate);
      worst = std::max(worst, std::fabs(y[n] - ideal));
    }
    EXPECT_LT(worst, 0.5) << ppm;
  }
  const auto x = tone(700.0, 4800);
  EXPECT_EQ(clockError(x, 0.0), x);  // a true clock changes nothing
}

TEST(ChannelModel, FadingKeepsTheMeanPowerAndVariesIt) {
  const auto x = tone(2000.0, 20 * kRate);
  const auto y = applyFading(x, kRate, fadingProfile(Fading::Flutter), 9);
  // Over 20 s of 10 Hz flutter the power averages out near the input's and swings widely.
  const double total = meanPower(y, 0, y.size()) / meanPower(x, 0, x.size());
  EXPECT_NEAR(total, 1.0, 0.25);
  double lo = 1e30, hi = 0;
  for (std::size_t start = 0; start + 480 <= y.size(); start += 480) {
    const double p = meanPower(y, start, start + 480);
    lo = std::min(lo, p);
    hi = std::max(hi, p);
  }
  EXPECT_GT(hi / lo, 10.0);
  EXPECT_EQ(applyFading(x, kRate, fadingProfile(Fading::Flutter), 9), y);
}

TEST(ChannelModel, ProfilesAndNames) {
  EXPECT_EQ(parseFading("moderate"), Fading::Moderate);
  EXPECT_FALSE(parseFading("stormy").has_value());
  EXPECT_DOUBLE_EQ(fadingProfile(Fading::Poor).delayMs, 2.0);
  EXPECT_DOUBLE_EQ(fadingProfile(Fading::Good).spreadHz, 0.1);
  // No setting changes nothing.
  const auto x = tone(700.0, 4800);
  EXPECT_EQ(applyChannel(x, kRate, ChannelSettings{}), x);
}

// Every stage on, the recording cut into pieces of different sizes, some odd: the pieces are
// only how the stream is carried, so the output must be the same sample for sample.
TEST(ChannelModel, StreamingInPiecesGivesTheSameOutputWhateverThePieceSize) {
  struct Source : ChannelSource {
    const std::vector<float>& x;
    std::size_t at = 0;
    int rewinds = 0;
    explicit Source(const std::vector<float>& v) : x(v) {}
    bool rewind() override {
      at = 0;
      ++rewinds;
      return true;
    }
    long read(float* out, long max) override {
      const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(max), x.size() - at);
      std::copy_n(x.begin() + static_cast<std::ptrdiff_t>(at), n, out);
      at += n;
      return static_cast<long>(n);
    }
  };
  std::vector<float> x = tone(2300.0, kRate, 9000.0);
  for (std::size_t n = 0; n < x.size(); ++n)
    x[n] += static_cast<float>(3000.0 * std::sin(0.01 * n));
  ChannelSettings s;
  s.snrDb = 12.0;
  s.offsetHz = 1.3;
  s.passLowHz = 300.0;
  s.passHighHz = 3500.0;
  s.fading = Fading::Flutter;
  s.clockPpm = 250.0;
  s.seed = 7;
  std::vector<std::vector<float>> outputs;
  for (long piece : {997L, 65536L, 1L << 22}) {
    Source source(x);
    std::vector<float> y;
    ASSERT_TRUE(runChannel(
        source, kRate, s,
        [&y](const float* p, std::size_t n) {
          y.insert(y.end(), p, p + n);
          return true;
        },
        piece));
    EXPECT_EQ(source.rewinds, 3);  // length, power, output
    outputs.push_back(std::move(y));
  }
  ASSERT_NEAR(static_cast<double>(outputs[0].size()), x.size() / 1.00025, 20.0);
  for (const auto& y : outputs) EXPECT_TRUE(y == outputs[0]);
  EXPECT_TRUE(applyChannel(x, kRate, s) == outputs[0]);

  // The stages alone, in pieces against whole.
  const std::vector<double> h = {0.25, -0.5, 1.0, 0.75, 0.1};
  CentredFilter filter(h);
  std::vector<float> y;
  for (std::size_t at = 0; at < x.size(); at += 333)
    filter.process(x.data() + at, std::min<std::size_t>(333, x.size() - at), y);
  filter.finish(y);
  EXPECT_TRUE(y == filterCentred(x, h));
}

TEST(ChannelModel, OutputBecomesSamplesRoundedToEvenAndLimitedWithACount) {
  long limited = -1;
  const std::vector<std::int16_t> samples =
      toSamples({0.5f, 1.5f, -2.5f, 32767.4f, 32767.5f, -32768.5f, -40000.0f, 12.7f}, &limited);
  EXPECT_EQ(samples, (std::vector<std::int16_t>{0, 2, -2, 32767, 32767, -32768, -32768, 13}));
  EXPECT_EQ(limited, 2);  // 32767.5 rounds to 32768; -32768.5 rounds to the even -32768
}

}  // namespace
}  // namespace mosaic
