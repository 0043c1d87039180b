#include "transmitter/core/frame_synthesizer.h"
#include "transmitter/core/carrier_sum.h"
#include "transmitter/core/phase_chain.h"

#include "reference_synthesis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace mosaic {
namespace {

std::vector<std::int16_t> synthesize(const PicturePlanes& planes) {
  static FrameSynthesizer synth;
  std::vector<std::int16_t> frame(kFrameSamples);
  synth.synthesize(planes, frame.data());
  return frame;
}

reference::Planes toReference(const PicturePlanes& p) {
  reference::Planes r;
  std::memcpy(r.Y, p.Y, sizeof r.Y);
  std::memcpy(r.V, p.V, sizeof r.V);
  std::memcpy(r.U, p.U, sizeof r.U);
  return r;
}

// A picture as the grab would deliver it: values in columns 1..47, rows 1..64.
PicturePlanes randomPicture(unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> y(0.0f, 7.96875f), v(-4.9f, 4.9f), u(-3.47f, 3.47f);
  PicturePlanes p;
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      p.Y[c][r] = y(rng);
      p.V[c][r] = v(rng);
      p.U[c][r] = u(rng);
    }
  return p;
}

PicturePlanes uniformPicture(float y, float v, float u) {
  PicturePlanes p;
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      p.Y[c][r] = y;
      p.V[c][r] = v;
      p.U[c][r] = u;
    }
  return p;
}

// Brightness rising from left to right and colour from bottom to top, in small steps: neighbouring
// symbols of a carrier differ a little, as in most pictures.
PicturePlanes gradientPicture() {
  PicturePlanes p;
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      p.Y[c][r] = 7.96875f * static_cast<float>(c) / 47;
      p.V[c][r] = -4.9f + 9.8f * static_cast<float>(r) / 64;
      p.U[c][r] = 3.47f - 6.94f * static_cast<float>(r) / 64;
    }
  return p;
}

// Eight vertical bars across the picture, each with its own brightness and colour.
PicturePlanes colourBars() {
  PicturePlanes p;
  for (int c = 1; c <= 47; ++c) {
    const int bar = (c - 1) * 8 / 47;
    for (int r = 1; r <= 64; ++r) {
      p.Y[c][r] = 7.96875f - 0.9f * static_cast<float>(bar);
      p.V[c][r] = (bar & 1) ? 4.5f : -4.5f;
      p.U[c][r] = (bar & 2) ? 3.2f : -3.2f;
    }
  }
  return p;
}

TEST(PhaseChain, WorkedExamplesOfTheFirstSteps) {
  EXPECT_FLOAT_EQ(twoPiSingle(), 6.2831855f);
  float phase = 0.0f;
  float out[2];
  advancePhase(phase, phaseIncrement(1680), 1, out);
  EXPECT_NEAR(out[0], 0.549779, 1e-6);

  // The first step of carrier 56 puts 627 into the running sample.
  std::int32_t acc[1] = {0};
  addCarrier(out, 1, acc);
  EXPECT_EQ(acc[0], 627);

  // Y = 3.0 on carrier 56: f = 1683, 0.550760 rad a step, 2103.75 Hz at 48000 Hz.
  const double inc1683 = phaseIncrement(1683).toDouble();
  EXPECT_NEAR(inc1683, 0.550760, 1e-6);
  EXPECT_NEAR(inc1683 * 24000.0 / (2 * M_PI), 2103.75, 1e-3);
}

TEST(PhaseChain, FastAccumulatorMatchesPlainSteps) {
  // Increments of every carrier at picture values across the whole range, from many phases.
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> value(-5.0f, 8.0f);
  std::vector<float> fast(640), plain(640);
  float pf = 0.0f, pp = 0.0f;
  long mismatches = 0;
  for (int round = 0; round < 2000; ++round) {
    const int k = 12 + round % 80;
    const float f = 30.0f * static_cast<float>(k) + value(rng);
    const Extended inc = phaseIncrement(f);
    advancePhase(pf, inc, 640, fast.data());
    advancePhaseReference(pp, inc, 640, plain.data());
    for (int i = 0; i < 640; ++i) mismatches += fast[i] != plain[i];
    pp = pf;  // compare step by step, not error propagation
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(SineKernel, AgreesWithExtendedPrecisionSine) {
  double worst = 0.0;
  for (int i = 0; i <= 200000; ++i) {
    const double x = 7.2 * i / 200000.0;
    worst = std::max(worst, std::fabs(sinSmallArgument(x) - static_cast<double>(sinl(x))));
  }
  EXPECT_LT(worst, 4e-16);
}

TEST(FrameSynthesizer, AgreesWithAStepByStepReference) {
  const PicturePlanes pictures[] = {PicturePlanes{},
                                    uniformPicture(7.96875f, 0, 0),
                                    uniformPicture(4.0f, 2.0f, -1.5f),
                                    colourBars(),
                                    gradientPicture(),
                                    randomPicture(1),
                                    randomPicture(2),
                                    randomPicture(7)};
  for (const auto& p : pictures) {
    const auto fast = synthesize(p);
    const auto slow = reference::buildFrame(toReference(p));
    int differing = 0, worst = 0;
    for (int n = 0; n < kFrameSamples; ++n) {
      differing += fast[n] != slow[n];
      worst = std::max(worst, std::abs(fast[n] - slow[n]));
    }
    EXPECT_EQ(differing, 0) << "largest difference " << worst;
  }
}

TEST(FrameSynthesizer, SamplesComeInEqualPairsAndRepeatForTheSamePicture) {
  const PicturePlanes p = randomPicture(3);
  const auto a = synthesize(p);
  for (int n = 0; n < kFrameSamples; n += 2) ASSERT_EQ(a[n], a[n + 1]) << n;
  EXPECT_EQ(a, synthesize(p));
}

TEST(FrameSynthesizer, BlackPictureIsAFixedMultiToneOfWholeCycles) {
  // Each carrier alone: k whole cycles per 1280 samples, so the phase returns every symbol.
  for (int k : {12, 24, 56, 91}) {
    float phase = 0.0f;
    std::vector<float> out(kStepsPerFrame);
    advancePhase(phase, phaseIncrement(30.0f * static_cast<float>(k)), kStepsPerFrame, out.data());
    for (int s = 1; s <= 47; ++s) {
      const int j = s * kStepsPerSymbol;
      const double d = std::remainder(double(out[j + kStepsPerSymbol - 1]) - out[j - 1], 2 * M_PI);
      EXPECT_NEAR(d, 0.0, 1e-4) << "carrier " << k << " symbol " << s;
    }
  }
}

TEST(FrameSynthesizer, ALuminanceRowChangesEveryCarrierMadeAfterIt) {
  PicturePlanes p = randomPicture(4);
  const auto before = synthesize(p);
  p.Y[20][lumaRow(91)] += 1.0f;  // carrier 91, the last luminance carrier generated
  const auto after = synthesize(p);
  // Samples before symbol 20 differ only through carriers generated after 91, whose start
  // phase changed; so the frame differs from its first samples on.
  int earlyDifferences = 0;
  for (int n = 0; n < 1280; ++n) earlyDifferences += before[n] != after[n];
  EXPECT_GT(earlyDifferences, 100);
}

TEST(FrameSynthesizer, SymbolsChangeBetweenSamples639And641And60799And60801) {
  // Only the last generated carrier (24) carries a value, so nothing before its symbol changes.
  PicturePlanes base;
  const auto silentPicture = synthesize(base);
  auto firstDifference = [&](const PicturePlanes& p) {
    const auto f = synthesize(p);
    for (int n = 0; n < kFrameSamples; ++n)
      if (f[n] != silentPicture[n]) return n;
    return -1;
  };
  PicturePlanes col1 = base;
  for (int r = uFirstRow(24); r < uFirstRow(24) + 9; ++r) col1.U[1][r] = 3.0f;
  EXPECT_EQ(firstDifference(col1), 640);
  PicturePlanes col48 = base;
  for (int r = uFirstRow(24); r < uFirstRow(24) + 9; ++r) col48.U[48][r] = 3.0f;
  EXPECT_EQ(firstDifference(col48), 60800);
}

TEST(FrameSynthesizer, CarrierFrequencyValuesFollowThePicture) {
  PicturePlanes p;
  for (int r = 1; r <= 64; ++r) {
    p.Y[5][r] = 7.96875f;
    p.V[5][r] = 4.9008f;
    p.U[5][r] = -1.1714f;
  }
  EXPECT_FLOAT_EQ(carrierStepFrequency(p, 56, 5), 1680.0f + 7.96875f);
  EXPECT_FLOAT_EQ(carrierStepFrequency(p, 56, 0), 1680.0f);
  EXPECT_FLOAT_EQ(carrierStepFrequency(p, 12, 5), 360.0f + 4.9008f);
  EXPECT_NEAR(carrierStepFrequency(p, 21, 5), 630.0 - 1.1714, 1e-4);
  // Picture rows outside 18..53 never reach the air.
  PicturePlanes outside;
  for (int c = 0; c < kPlaneColumns; ++c) {
    for (int r : {1, 17, 54, 64}) outside.Y[c][r] = outside.V[c][r] = outside.U[c][r] = 5.0f;
  }
  EXPECT_EQ(synthesize(outside), synthesize(PicturePlanes{}));
}

TEST(FrameSynthesizer, APartialSumPastFullScaleDoesNotBendTheFinishedSample) {
  // Limiting after every carrier would move samples whose running sum leaves the range part-way
  // and comes back; the finished sample must equal what wrapping arithmetic gives there.
  for (const auto& p : {uniformPicture(7.96875f, 0, 0), colourBars()}) {
    const auto frame = synthesize(p);
    const auto wrapped = reference::buildFrame(toReference(p), reference::Overflow::kWrap);
    const auto eachAddition =
        reference::buildFrame(toReference(p), reference::Overflow::kLimitEachAddition);
    int inRangeButBent = 0;
    for (int n = 0; n < kFrameSamples; ++n) {
      const bool atRail = frame[n] == 32767 || frame[n] == -32768;
      if (!atRail) {
        EXPECT_EQ(frame[n], wrapped[n]) << n;
      }
      inRangeButBent += !atRail && eachAddition[n] != frame[n];
    }
    EXPECT_GT(inRangeButBent, 0);
  }
}

TEST(FrameSynthesizer, OverloadSaturatesInsteadOfWrapping) {
  // All carriers start a black frame near the same phase, so the sum passes full scale.
  const auto frame = synthesize(PicturePlanes{});
  const auto wrapped = reference::buildFrame(reference::Planes{}, reference::Overflow::kWrap);
  int saturated = 0, wrappedDiffer = 0;
  for (int n = 0; n < kFrameSamples; ++n) {
    saturated += frame[n] == 32767 || frame[n] == -32768;
    wrappedDiffer += frame[n] != wrapped[n];
  }
  EXPECT_GT(saturated, 100);
  EXPECT_GT(wrappedDiffer, 100);
  // Where the sum overloads, a wrapped sample jumps across the whole scale; ours stays at the rail.
  EXPECT_EQ(frame[4], 32767);
  EXPECT_LT(wrapped[4], 0);
}

}  // namespace
}  // namespace mosaic
