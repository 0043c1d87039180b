#include "receiver/core/demodulation/demodulator.h"
#include "receiver/core/demodulation/differential_values.h"
#include "receiver/core/demodulation/fft256.h"
#include "receiver/core/demodulation/frequency_shift.h"
#include "tests/receiver/test_signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <random>

namespace mosaic {
namespace {

using testing::steadyTone;
using testing::steppedCarriers;

// A demodulator run over a whole history, with its outputs.
struct DemodRun {
  std::unique_ptr<SampleHistory> history = std::make_unique<SampleHistory>();
  std::unique_ptr<SymbolPlanes> planes = std::make_unique<SymbolPlanes>();
  std::unique_ptr<RunBytes> bytes = std::make_unique<RunBytes>();
  Demodulator demodulator;

  void fill(const std::vector<std::int16_t>& samples) {
    std::copy_n(samples.begin(), kHistorySamples, history->samples.begin());
  }
  void run(const DemodSettings& settings) {
    demodulator.demodulate(*history, settings, *planes, *bytes);
  }
  double luma(int p, int t, int slot) const {
    return planes->luma[static_cast<std::size_t>(p)][SymbolPlanes::index(t, slot)];
  }
};

DemodSettings noBalance() {
  DemodSettings s;
  s.balance = 0;
  return s;
}

TEST(Fft256, MatchesTheDirectTransformWithPositiveExponent) {
  constexpr int B = Fft256::kBatch;
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> u(-1000.0f, 1000.0f);
  std::vector<float> re(256 * B), im(256 * B);
  for (auto& v : re) v = u(rng);
  for (auto& v : im) v = u(rng);
  const auto inRe = re;
  const auto inIm = im;
  Fft256 fft;
  fft.transformBatch(re.data(), im.data());
  const long double twoPi = 8.0L * std::atan(1.0L);
  for (int j : {0, 5, B - 1}) {  // blocks of the batch, interleaved
    for (int k = 0; k < 256; ++k) {
      std::complex<long double> sum = 0;
      for (int n = 0; n < 256; ++n) {
        sum += std::complex<long double>(inRe[n * B + j], inIm[n * B + j]) *
               std::polar(1.0L, twoPi * k * n / 256);
      }
      const int at = fft.bitReversed(k) * B + j;
      EXPECT_NEAR(re[at], static_cast<double>(sum.real()), 0.05) << j << ", " << k;
      EXPECT_NEAR(im[at], static_cast<double>(sum.imag()), 0.05) << j << ", " << k;
    }
  }
}

TEST(Mixer, FollowsTheSinglePrecisionPhaseExactly) {
  std::vector<std::int16_t> samples(kHistorySamples);
  for (int n = 0; n < kHistorySamples; ++n)
    samples[n] = static_cast<std::int16_t>((n * 7919) % 65536 - 32768);
  auto mixed = std::make_unique<MixedSignal>();
  for (double hz : {-24.0, -3.4, 0.02, 19.9}) {
    const Extended f0(hz);
    mixToBaseband(samples.data(), f0, *mixed);
    // The phase as the description gives it, evaluated directly at every sample in extended
    // precision.
    const float twoPi = static_cast<float>(8.0L * std::atan(1.0L));
    float phase = 0.0f;
    int differing = 0;
    for (int n = 0; n < kHistorySamples; ++n) {
      phase = (Extended(phase) + f0 * Extended(twoPi) / Extended(9600)).toFloat();
      if (phase > twoPi) phase = (Extended(phase) - Extended(twoPi)).toFloat();
      const long double x = samples[n];
      const float wantI = static_cast<float>(-x * std::sin(static_cast<long double>(phase)));
      const float wantQ = static_cast<float>(-x * std::cos(static_cast<long double>(phase)));
      // At most one unit in the last place, and that rarely.
      ASSERT_LE(std::abs(mixed->i[n] - wantI), std::abs(std::nextafter(wantI, 1e9f) - wantI)) << n;
      ASSERT_LE(std::abs(mixed->q[n] - wantQ), std::abs(std::nextafter(wantQ, 1e9f) - wantQ)) << n;
      differing += mixed->i[n] != wantI || mixed->q[n] != wantQ;
    }
    EXPECT_LT(differing, kHistorySamples / 1000) << hz;
  }
}

TEST(Demodulator, SteadyTonesGiveTheirOffsetFromTheBin) {
  DemodRun r;
  struct Case {
    double toneHz;
    float coarseHz;
    double want;
  };
  // 1 Hz above the bin is sin(2 pi / 37.5); 2097 Hz against a bin moved to 2103 Hz is 6 Hz low.
  for (const Case c : {Case{2100.0, 0.0f, 0.0}, Case{2101.0, 0.0f, 0.16677},
                       Case{2097.0, -3.0f, -0.84433}, Case{2097.0, 3.0f, 0.0}}) {
    r.fill(steadyTone(c.toneHz, kHistorySamples));
    DemodSettings s = noBalance();
    s.coarseHz = c.coarseHz;
    r.run(s);
    for (int p = 0; p < 3; ++p) {
      // Block 95's later windows reach past the history and are cut short.
      for (int t = 1; t <= (p == 0 ? 95 : 94); ++t) {
        // With a tuning offset the tone's mirror image no longer falls on a bin: "about" 0.
        const double tolerance = c.coarseHz == 0.0f ? 2e-4 : 6e-3;
        ASSERT_NEAR(r.luma(p, t, 10), c.want, tolerance)
            << c.toneHz << " Hz, t " << t << " p " << p;
      }
    }
  }
}

TEST(Demodulator, PhaseAdvanceGivesItsSineAndPictureByte) {
  DemodRun r;
  // 0.5 rad per symbol = 0.5 * 30 / (2 pi) picture units.
  const double units = 0.5 * 30.0 / testing::kTwoPi;
  r.fill(steppedCarriers(
      kHistorySamples, {60}, [&](int, int) { return units; }, 0, 0.0, 8000.0));
  r.run(noBalance());
  for (int t = 1; t <= 95; ++t) {
    // A tone off its bin picks up a little of its own mirror image through the plain window.
    ASSERT_NEAR(r.luma(0, t, 14), std::sin(0.5), 2e-3) << t;
    ASSERT_EQ((*r.bytes)[runByteIndex(t, 14, 0)], 189) << t;
  }
}

TEST(Demodulator, BalanceAddsASlopeAcrossTheSlots) {
  DemodRun r;
  r.fill(steppedCarriers(kHistorySamples, testing::allCarriers(), [](int, int) { return 0.0; }));
  DemodSettings s;  // balance 67
  r.run(s);
  EXPECT_NEAR(r.luma(0, 20, 10), 0.134, 2e-4);
  EXPECT_NEAR(r.luma(0, 20, 45), 0.603, 2e-4);
  EXPECT_NEAR(r.luma(0, 20, 46), 0.6164, 2e-4);
  s.balance = 200;
  r.run(s);
  EXPECT_NEAR(r.luma(1, 20, 45), 1.8, 2e-4);
  EXPECT_EQ((*r.bytes)[runByteIndex(20, 45, 1)], 255);  // 128 * 1.8 + 128 is clamped
  s.balance = -200;
  r.run(s);
  EXPECT_EQ((*r.bytes)[runByteIndex(20, 45, 1)], 0);
}

TEST(Demodulator, SilenceGivesNotANumberAndZeroBytesAndRowZeroIsNeverWritten) {
  DemodRun r;
  // First run after start: the older half is silence, the newest buffer holds a tone.
  auto tone = steadyTone(2100.0, kCaptureSamples);
  std::copy(tone.begin(), tone.end(), r.history->samples.begin() + kCaptureSamples);
  r.run(DemodSettings{});
  for (int p = 0; p < 3; ++p) {
    EXPECT_TRUE(std::isnan(r.luma(p, 30, 10)));
    EXPECT_TRUE(std::isnan(r.planes->cr[p][SymbolPlanes::index(30, 12)]));
    EXPECT_TRUE(std::isnan(r.planes->cb[p][SymbolPlanes::index(30, 40)]));
    EXPECT_EQ((*r.bytes)[runByteIndex(30, 10, p)], 0);
    for (int s = 0; s < 128; ++s) {
      EXPECT_EQ(r.planes->luma[p][SymbolPlanes::index(0, s)], 0.0);
      EXPECT_EQ(r.planes->cr[p][SymbolPlanes::index(0, s)], 0.0);
      EXPECT_EQ(r.planes->cb[p][SymbolPlanes::index(0, s)], 0.0);
    }
  }
  // Block 48 against the silent block 47 is a number: A = 0 gives just the slope.
  EXPECT_NEAR(r.luma(0, 48, 10), 0.134, 1e-9);
  for (int s = 10; s <= 58; ++s) {
    for (int p = 0; p < 3; ++p) EXPECT_EQ((*r.bytes)[runByteIndex(96, s, p)], 0) << s;
    EXPECT_TRUE(std::isnan(r.luma(0, 96, s)));
  }
}

TEST(Demodulator, WithoutHalfPixelAllSubColumnsAreIdentical) {
  DemodRun r;
  r.fill(steppedCarriers(
      kHistorySamples, testing::allCarriers(),
      [](int k, int s) { return std::sin(k * 0.3 + s * 0.2) * 4; }, 37, 0.0, 1200.0, 300.0));
  DemodSettings s;
  toggleHalfPixel(s);
  ASSERT_EQ(s.windowOffsets, (std::array<int, 2>{0, 0}));
  r.run(s);
  for (int t = 1; t <= 96; ++t) {
    for (int slot = 10; slot <= 58; ++slot) {
      const auto b = (*r.bytes)[runByteIndex(t, slot, 0)];
      ASSERT_EQ((*r.bytes)[runByteIndex(t, slot, 1)], b);
      ASSERT_EQ((*r.bytes)[runByteIndex(t, slot, 2)], b);
    }
  }
  toggleHalfPixel(s);
  EXPECT_EQ(s.windowOffsets, kHalfPixelOffsets);
  r.run(s);
  int differing = 0;
  for (int t = 1; t <= 95; ++t)
    differing += (*r.bytes)[runByteIndex(t, 30, 0)] != (*r.bytes)[runByteIndex(t, 30, 2)];
  EXPECT_GT(differing, 20);  // the half-pixel windows see other parts of the symbols
}

TEST(Demodulator, LastBlockWindowsReachPastTheHistoryAsSilence) {
  DemodRun r;
  r.fill(steadyTone(2250.0, kHistorySamples, 8000.0, 1.1));
  r.run(noBalance());
  // With no tuning offset y[n] = -j x[n]; the window of block 95 at offset o covers 256 - o
  // history samples followed by zeros.
  const long double twoPi = 8.0L * std::atan(1.0L);
  const int slot = slotOfBin(60);
  for (int p = 0; p < 3; ++p) {
    const int offset = p == 0 ? 0 : kHalfPixelOffsets[p - 1];
    std::complex<long double> sum = 0;
    for (int n = 0; n < 256; ++n) {
      const int at = 95 * 256 + offset + n;
      const long double x = at < kHistorySamples ? r.history->samples[at] : 0;
      sum += std::complex<long double>(0, -x) * std::polar(1.0L, twoPi * 60 * n / 256);
    }
    const auto& spectrum = r.demodulator.spectrum();
    const std::size_t i = SpectrumStore::index(95, slot);
    EXPECT_NEAR(spectrum.re[p][i], static_cast<double>(sum.real()), 0.05) << p;
    EXPECT_NEAR(spectrum.im[p][i], static_cast<double>(sum.imag()), 0.05) << p;
  }
}

TEST(Demodulator, NegativeTuningNearlyEqualsAPhaseKeptModuloTwoPi) {
  DemodRun r;
  // A picture-like signal that arrives 17.5 Hz high, centred again by f0 = -17.5 Hz.
  r.fill(steppedCarriers(
      kHistorySamples, testing::allCarriers(),
      [](int k, int s) { return 3.0 + 2.0 * std::cos(k * 0.1 + s * 0.05); }, 100, 17.5));
  DemodSettings s;
  s.coarseHz = -16.0f;
  s.fineHz = -1.5f;
  r.run(s);
  // The same run with the mixer's phase kept in 0..2 pi in double precision.
  const double f0 = static_cast<double>(tuningOffsetHz(s));
  auto mixed = std::make_unique<MixedSignal>();
  double phase = 0.0;
  for (int n = 0; n < kHistorySamples; ++n) {
    phase = std::fmod(phase + f0 * testing::kTwoPi / kRxSampleRateHz + testing::kTwoPi,
                      testing::kTwoPi);
    mixed->i[n] = static_cast<float>(-r.history->samples[n] * std::sin(phase));
    mixed->q[n] = static_cast<float>(-r.history->samples[n] * std::cos(phase));
  }
  auto store = std::make_unique<SpectrumStore>();
  Fft256 fft;
  transformBlocks(*mixed, subColumnOffsets(s.windowOffsets), fft, *store);
  auto planes = std::make_unique<SymbolPlanes>();
  auto bytes = std::make_unique<RunBytes>();
  differentialValues(*store, s.balance, *planes, *bytes);
  // They agree closely but not exactly: far below zero the single-precision phase takes steps
  // rounded to its coarser grid (1.5e-5 rad beyond -128 rad, 3e-5 beyond -256), which is a
  // frequency error of up to 0.02 Hz late in the run: about 0.004 in D on a clean carrier, more
  // where neighbouring carriers leak in.
  int equalBytes = 0;
  for (int p = 0; p < 3; ++p) {
    for (int t = 1; t <= 95; ++t) {
      for (int slot = 10; slot <= 58; ++slot) {
        const double d = planes->luma[p][SymbolPlanes::index(t, slot)];
        ASSERT_NEAR(r.luma(p, t, slot), d, 2e-2 * std::max(1.0, std::abs(d)));
        const int a = (*r.bytes)[runByteIndex(t, slot, p)];
        const int b = (*bytes)[runByteIndex(t, slot, p)];
        ASSERT_LE(std::abs(a - b), 2);
        equalBytes += a == b;
      }
    }
  }
  std::printf("[ mod 2 pi ] %d of %d bytes equal\n", equalBytes, 3 * 95 * 49);
  EXPECT_GE(equalBytes, 3 * 95 * 49 * 9 / 10);
}

TEST(Demodulator, ColourPlanesFollowTheColourCarriersLessATuningShare) {
  DemodRun r;
  // Colour carriers each at their own steady offset; the signal arrives 2.2 Hz low and the
  // tuning f0 = +2.2 Hz centres it again.
  r.fill(steppedCarriers(
      kHistorySamples, testing::allCarriers(),
      [](int k, int) { return k < 56 ? (k - 18) * 0.4 : 2.0; }, 0, -2.2));
  DemodSettings s = noBalance();
  s.fineHz = 2.2f;
  r.run(s);
  const Extended c = tuningOffsetHz(s) / Extended(11);
  for (int j = 0; j <= 12; ++j) {
    const double carrierValue = r.luma(2, 40, 46 + j);
    // Neighbouring carriers off their bins leak into each other, hence the loose bound.
    EXPECT_NEAR(carrierValue, std::sin(testing::kTwoPi * ((12 + j - 18) * 0.4) / 30), 0.1) << j;
    for (int m = 0; m < 4; ++m) {
      EXPECT_EQ(r.planes->cr[2][SymbolPlanes::index(40, 10 + 4 * j + m)],
                (Extended(carrierValue) - c).toDouble());
    }
  }
  for (int slot = 10; slot <= 81; ++slot) {
    EXPECT_EQ(r.planes->cb[0][SymbolPlanes::index(40, slot)],
              (Extended(r.luma(0, 40, kBlueSlot)) - c).toDouble());
  }
  EXPECT_EQ(r.planes->cb[0][SymbolPlanes::index(40, 82)], 0.0);
  EXPECT_EQ(r.planes->cr[0][SymbolPlanes::index(40, 62)], 0.0);
}

TEST(DifferentialValue, SilentBlockAndByteRounding) {
  EXPECT_TRUE(std::isnan(differentialValue(1.0f, 2.0f, 0.0f, 0.0f, 67, 10)));
  EXPECT_EQ(pictureValueByte(std::nan("")), 0);
  EXPECT_EQ(pictureValueByte(0.5 / 128), 128);  // 128.5 rounds to the even 128
  EXPECT_EQ(pictureValueByte(1.5 / 128), 130);  // 129.5 rounds to the even 130
  EXPECT_EQ(pictureValueByte(-2.0), 0);
  EXPECT_EQ(pictureValueByte(0.99), 255);
}

}  // namespace
}  // namespace mosaic
