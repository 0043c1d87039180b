// The level figures the operator sets the transceiver with: known signals read their known
// levels, silence reads as silence, and the clipping warning starts exactly at its threshold and
// stays for its hold.

#include "signal/sound_level.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace mosaic {
namespace {

std::vector<std::int16_t> sine(double amplitude, double cyclesPerSample, int count) {
  std::vector<std::int16_t> s(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    s[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(
        std::lround(amplitude * std::sin(2.0 * std::numbers::pi * cyclesPerSample * i + 0.3)));
  return s;
}

std::vector<std::int16_t> square(std::int16_t high, std::int16_t low, int count) {
  std::vector<std::int16_t> s(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) s[static_cast<std::size_t>(i)] = (i / 20) % 2 ? low : high;
  return s;
}

TEST(SoundLevel, KnownSignalsReadTheirLevels) {
  // A full-scale square: 0 dBFS peak and RMS, every sample at full scale.
  const auto full = square(32767, -32768, 12288);
  const SoundLevel f = measureLevel(full.data(), 12288);
  EXPECT_FLOAT_EQ(f.peakDbfs, 0.0f);
  EXPECT_NEAR(f.rmsDbfs, 0.0f, 1e-4);
  EXPECT_EQ(f.nearFullScale, 12288);
  EXPECT_TRUE(f.clipping());

  // A sine at -20 dBFS (a tenth of full scale) over whole cycles: RMS 3.01 dB lower.
  const auto quiet = sine(3276.7, 1000.0 / 9600.0, 9600);
  const SoundLevel q = measureLevel(quiet.data(), 9600);
  EXPECT_NEAR(q.peakDbfs, -20.0f, 0.01);
  EXPECT_NEAR(q.rmsDbfs, -23.01f, 0.01);
  EXPECT_FALSE(q.clipping());

  // A half-scale square on one side: -6.02 dBFS.
  const auto half = square(16384, -16384, 4800);
  EXPECT_NEAR(measureLevel(half.data(), 4800).peakDbfs, -6.02f, 0.01);

  // One quantisation step is the quietest sound there is.
  std::vector<std::int16_t> tick(100, 0);
  tick[50] = -1;
  EXPECT_NEAR(measureLevel(tick.data(), 100).peakDbfs, -90.31f, 0.01);
}

TEST(SoundLevel, SilenceAndNothingAreNotLevels) {
  const std::vector<std::int16_t> silence(61440, 0);
  const SoundLevel s = measureLevel(silence.data(), 61440);
  EXPECT_TRUE(s.measured());
  EXPECT_EQ(s.peakDbfs, kSilentDbfs);
  EXPECT_EQ(s.rmsDbfs, kSilentDbfs);
  EXPECT_FALSE(s.clipping());
  EXPECT_FALSE(measureLevel(silence.data(), 0).measured());
}

TEST(SoundLevel, ClippingStartsWithinATenthOfADecibelOfFullScale) {
  // Just below the threshold (-0.1 dBFS) is clean; the threshold itself and either end are not.
  for (const auto& [sample, near] : {std::pair<std::int16_t, bool>{kNearFullScale - 1, false},
                                     {kNearFullScale, true},
                                     {-kNearFullScale, true},
                                     {-(kNearFullScale - 1), false},
                                     {32767, true},
                                     {-32768, true}}) {
    std::vector<std::int16_t> s(1000, 100);
    s[500] = sample;
    const SoundLevel l = measureLevel(s.data(), 1000);
    EXPECT_EQ(l.clipping(), near) << sample;
    EXPECT_EQ(l.nearFullScale, near ? 1 : 0) << sample;
  }
  EXPECT_NEAR(20.0 * std::log10(kNearFullScale / 32767.0), -0.1, 0.001);
}

TEST(LevelMeter, TheClippingWarningStaysForItsHoldAndClearingEndsIt) {
  LevelMeter meter(3);
  EXPECT_FALSE(meter.latest().measured());
  const auto clean = sine(3000.0, 0.01, 1000);
  const auto loud = square(32767, -32768, 1000);
  meter.measure(loud.data(), 1000);
  EXPECT_TRUE(meter.clipWarning());
  meter.measure(clean.data(), 1000);
  meter.measure(clean.data(), 1000);
  EXPECT_TRUE(meter.clipWarning());  // the clipping block and two clean ones
  EXPECT_FALSE(meter.latest().clipping());
  EXPECT_NEAR(meter.latest().peakDbfs, -20.77f, 0.01);
  meter.measure(clean.data(), 1000);
  EXPECT_FALSE(meter.clipWarning());
  // A new overload starts the hold afresh; clearing forgets everything.
  meter.measure(loud.data(), 1000);
  meter.measure(clean.data(), 1000);
  meter.measure(loud.data(), 1000);
  meter.measure(clean.data(), 1000);
  meter.measure(clean.data(), 1000);
  EXPECT_TRUE(meter.clipWarning());
  meter.clear();
  EXPECT_FALSE(meter.clipWarning());
  EXPECT_FALSE(meter.latest().measured());
}

}  // namespace
}  // namespace mosaic
