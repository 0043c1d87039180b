// The receiver's quick ways to the extended-precision results, against the plain extended-
// precision arithmetic, over many values and the awkward ones: each must give exactly its result.

#include "receiver/core/demodulation/differential_values.h"
#include "receiver/core/demodulation/frequency_shift.h"
#include "receiver/core/picture/colour_composition.h"
#include "signal/extended.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace mosaic {
namespace {

using X = Extended;

TEST(QuickPaths, DifferentialValuesAreTheExtendedPrecisionOnes) {
  std::mt19937_64 rng(8);
  std::uniform_real_distribution<float> component(-3000.0f, 3000.0f);
  std::uniform_int_distribution<int> exponent(-30, 30), balance(-200, 200), slot(10, 58);
  long differing = 0;
  for (int i = 0; i < 300000; ++i) {
    float reA = std::ldexp(component(rng), exponent(rng)), imA = component(rng);
    float reB = component(rng), imB = std::ldexp(component(rng), exponent(rng));
    if (i % 4 == 1) {  // B nearly A: the cross product cancels
      reB = std::nextafter(reA, 0.0f);
      imB = imA;
    }
    if (i % 4 == 2) imA = reA = 0.0f;  // only the slope is left
    const int b = balance(rng), s = slot(rng);
    const double quick = differentialValue(reA, imA, reB, imB, b, s);
    const X cross = X(static_cast<double>(imA) * reB) - X(static_cast<double>(reA) * imB);
    const X power = X(static_cast<double>(reB) * reB) + X(static_cast<double>(imB) * imB);
    const double exact = (cross / power + X(b * s) / X(5000)).toDouble();
    differing += std::bit_cast<std::uint64_t>(quick) != std::bit_cast<std::uint64_t>(exact);
  }
  EXPECT_EQ(differing, 0);
}

TEST(QuickPaths, MixerStepsAreTheExtendedPrecisionOnes) {
  // Phases over the whole run, both signs, and steps of every tuning, some of them exact binary
  // fractions whose sums land on midpoints.
  std::mt19937_64 rng(9);
  std::uniform_real_distribution<float> phase(-400.0f, 6.3f);
  std::uniform_real_distribution<double> hz(-24.0, 24.0);
  long differing = 0;
  for (int round = 0; round < 200; ++round) {
    const X step = round % 5 == 0 ? X(std::ldexp(1.0, -7 - round % 11) * (round % 2 ? 1 : -1))
                                  : X(hz(rng)) * X(6.2831855f) / X(9600);
    const MixerPhaseStep quick(step);
    for (int i = 0; i < 5000; ++i) {
      float p = phase(rng);
      if (i % 3 == 0) p = std::ldexp(std::round(std::ldexp(p, 8)), -8);
      differing += quick.after(p) != (X(p) + step).toFloat();
    }
  }
  // Sums a hair either side of a midpoint between two floats, and on it.
  std::uniform_int_distribution<int> odd(0, 200), hair(24, 80);
  for (int i = 0; i < 30000; ++i) {
    const float p = phase(rng);
    int e = 0;
    std::frexp(p, &e);
    const double half = std::ldexp(1.0, e - 25);  // half the spacing of floats at p
    const X step = X(half * (2 * odd(rng) + 1)) +
                   (i % 3 == 0 ? X() : X(std::ldexp(i % 2 ? half : -half, -hair(rng))));
    differing += MixerPhaseStep(step).after(p) != (X(p) + step).toFloat();
  }
  EXPECT_EQ(differing, 0);
}

TEST(QuickPaths, PictureComponentsAreTheExtendedPrecisionOnes) {
  // Values on a grid of 1/256 (as replayed movies give) make many components land exactly on a
  // half; random ones rarely do.
  std::mt19937_64 rng(10);
  std::uniform_int_distribution<int> level(0, 256), saturation(0, 400), grid(-300, 300);
  std::uniform_real_distribution<double> value(-2.0, 2.0);
  long differing = 0;
  for (int i = 0; i < 200000; ++i) {
    DisplaySettings d;
    d.brightness = level(rng);
    d.contrast = level(rng);
    d.saturation = saturation(rng);
    const bool onGrid = i % 2 == 0;
    const double y = onGrid ? grid(rng) / 256.0 : value(rng);
    const double r = onGrid ? grid(rng) / 256.0 : value(rng);
    const double b = onGrid ? grid(rng) / 256.0 : value(rng);
    auto byte = [](const X& v) {
      if (!(v > X(0.5))) return 0;
      if (v > X(254.5)) return 255;
      return static_cast<int>(static_cast<double>(v.nearestInteger()));
    };
    const X sat(d.saturation), c(d.contrast), l(d.brightness), scale(200);
    const Bgr quick = composePixel(y, r, b, d);
    differing += quick.red != byte((X(y) + X(r) * sat / scale) * c + l);
    differing +=
        quick.green != byte((X(y) - (X(b) + X(r)) * X(d.saturation * 0.5) / scale) * c + l);
    differing += quick.blue != byte((X(y) + X(b) * sat / scale) * c + l);
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace mosaic
