#include "signal/extended.h"
#include "tests/support/digest.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace mosaic {
namespace {

constexpr bool kX87 = LDBL_MANT_DIG == 64;

// Operands of every kind the receiver and transmitter meet, and the awkward ones: small whole
// numbers, floats, doubles over a wide range of exponents, values a bit either side of powers of
// two, and sums and differences built to land on or next to rounding midpoints.
class Operands {
 public:
  explicit Operands(unsigned seed) : rng_(seed) {}

  // Each draw is a statement of its own: the order of draws within one expression would be left
  // to the compiler, and this sequence must be the same on every machine.
  Extended next() {
    const auto kind = pick(9);
    const auto a = pick(1u << 20);
    const double u = unit();
    const double s = sign();
    const std::uint64_t bits = rng_();
    switch (kind) {
      case 0:
        return Extended(static_cast<long long>(a % 2000) - 1000);
      case 1:
        return Extended(static_cast<float>(-8.0 + 16.0 * u));
      case 2:
        return Extended(std::ldexp(u, static_cast<int>(a % 120) - 60) * s);
      case 3:
        return Extended(std::ldexp(1.0, static_cast<int>(a % 40) - 20) *
                        (1 + 0x1p-52 * (static_cast<double>(bits % 5) - 2)));
      case 4: {
        // 2^k + a few units of extended precision: sums with doubles then round at a midpoint.
        const int k = static_cast<int>(a % 20) - 5;
        return Extended(std::ldexp(1.0, k)) +
               Extended(std::ldexp(1.0, k - 63)) * Extended(static_cast<long long>(bits % 7));
      }
      case 5:
        return Extended(static_cast<long long>(bits >> 1) | 1) * Extended(s);
      case 6:
        return Extended(static_cast<float>(-400.0 + 800.0 * u)) /
               Extended(static_cast<long long>(a % 20000) + 1);
      case 7:
        return Extended(std::bit_cast<double>(bits & 0x800fffffffffffffull));  // subnormal
      default:
        return Extended(u * 1e6 * s);
    }
  }

 private:
  std::uint64_t pick(std::uint64_t n) { return rng_() % n; }
  double unit() { return static_cast<double>(rng_() >> 11) * 0x1p-53; }
  double sign() { return (rng_() & 1) ? -1.0 : 1.0; }
  std::mt19937_64 rng_;
};

// The results of a fixed sequence of operations, each as float and double bits and as its
// extended parts, so that any difference in any operation changes the digest.
struct Results {
  test::Digest digest;
  void add(const Extended& x) {
    const double d = x.toDouble();
    const float f = x.toFloat();
    std::uint64_t parts[4] = {x.significand(), static_cast<std::uint64_t>(x.exponent()),
                              static_cast<std::uint64_t>(x.negative() * 2 + x.isNaN()),
                              std::bit_cast<std::uint64_t>(d)};
    if (!x.isFinite()) parts[0] = parts[1] = 0;
    if (x.isNaN()) parts[3] = 1;
    digest.add(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(parts), sizeof parts));
    if (f == f) digest.add(std::span<const float>(&f, 1));
  }
};

#if LDBL_MANT_DIG == 64
long double native(const Extended& x) {
  if (x.isNaN()) return std::numeric_limits<long double>::quiet_NaN();
  if (!x.isFinite()) return x.negative() ? -HUGE_VALL : HUGE_VALL;
  if (x.isZero()) return x.negative() ? -0.0L : 0.0L;
  const long double m = std::ldexp(static_cast<long double>(x.significand()), x.exponent() - 63);
  return x.negative() ? -m : m;
}

bool sameValue(const Extended& x, long double y) {
  if (x.isNaN()) return std::isnan(y);
  const long double n = native(x);
  return n == y && std::signbit(n) == std::signbit(y);
}
#endif

TEST(Extended, EveryOperationMatchesTheX87Unit) {
  if (!kX87) GTEST_SKIP() << "long double is not the x87 format here; the recorded results check";
#if LDBL_MANT_DIG == 64
  Operands operands(1);
  long failures = 0;
  for (int i = 0; i < 400000; ++i) {
    const Extended a = operands.next(), b = operands.next();
    const long double x = native(a), y = native(b);
    failures += !sameValue(a + b, x + y);
    failures += !sameValue(a - b, x - y);
    failures += !sameValue(a * b, x * y);
    failures += !sameValue(a / b, x / y);
    failures += (a < b) != (x < y) || (a == b) != (x == y);
    failures += std::bit_cast<std::uint64_t>(a.toDouble()) !=
                std::bit_cast<std::uint64_t>(static_cast<double>(x));
    failures += std::bit_cast<std::uint32_t>(a.toFloat()) !=
                std::bit_cast<std::uint32_t>(static_cast<float>(x));
    failures += !sameValue(a.nearestInteger(), std::nearbyint(x));
    failures += !sameValue(a.floor(), std::floor(x));
    if (failures) {
      ADD_FAILURE() << "at operands " << static_cast<double>(x) << " and "
                    << static_cast<double>(y);
      break;
    }
  }
  EXPECT_EQ(failures, 0);
#endif
}

TEST(Extended, RecordedResultsOfManyOperationsComeOutOnEveryMachine) {
  // The same kinds of operation as above, recorded on x86-64, where the test above checks each
  // of them against the x87 unit.
  Operands operands(2);
  Results results;
  for (int i = 0; i < 200000; ++i) {
    const Extended a = operands.next(), b = operands.next();
    results.add(a + b);
    results.add(a - b);
    results.add(a * b);
    results.add(a / b);
    results.add(a.nearestInteger());
    results.add(a.floor());
    const float f = a.toFloat();
    const float s = Extended::sumToFloat(f, b);
    results.digest.add(std::span<const float>(&s, 1));
  }
  EXPECT_EQ(test::Digest::hex(results.digest.value()), "0x11339b2f6ad12fb8");
}

TEST(Extended, RoundsToNearestWithTiesToEven) {
  const Extended one(1), big(static_cast<long long>(1) << 62);
  // 2^63 + 1 needs 64 bits; + 1/2 makes a tie, which goes to the even neighbour.
  const Extended odd = Extended(static_cast<long long>(INT64_MAX)) + one;  // 2^63 exactly
  EXPECT_EQ(odd, big * Extended(2));
  const Extended up = (big + big + one) + Extended(0.5);  // 2^63 + 1.5 -> 2^63 + 2
  EXPECT_EQ(up - big - big, Extended(2));
  const Extended down = (big + big) + Extended(0.5);  // 2^63 + 0.5 -> 2^63
  EXPECT_EQ(down - big - big, Extended());
  const Extended third = one / Extended(3);
  EXPECT_EQ(third.significand(), 0xaaaaaaaaaaaaaaabull);
  EXPECT_EQ(third.exponent(), -2);
  // Single precision from the exact sum: 1 + 2^-24 + 2^-60 is above the midpoint either way.
  const Extended nudge = Extended(0x1p-24) + Extended(0x1p-60);
  EXPECT_EQ(Extended::sumToFloat(1.0f, nudge), 1.0f + 0x1p-23f);
  EXPECT_EQ((Extended(1.0f) + nudge).toFloat(), 1.0f + 0x1p-23f);
  // ... but rounded first to 64 bits, 1 + 2^-24 + 2^-80 lands on the midpoint and goes down.
  const Extended lost = Extended(0x1p-24) + Extended(0x1p-80);
  EXPECT_EQ(Extended::sumToFloat(1.0f, lost), 1.0f + 0x1p-23f);
  EXPECT_EQ((Extended(1.0f) + lost).toFloat(), 1.0f);
  EXPECT_EQ(Extended(2.5).nearestInteger(), Extended(2));
  EXPECT_EQ(Extended(-3.5).nearestInteger(), Extended(-4));
  EXPECT_EQ(Extended(-0.25).floor(), Extended(-1));
}

TEST(Extended, SpecialValuesBehaveAsInHardware) {
  const Extended zero, one(1), nan = Extended::notANumber(), inf = Extended::infinity(false);
  EXPECT_TRUE((zero / zero).isNaN());
  EXPECT_TRUE((inf - inf).isNaN());
  EXPECT_TRUE((inf * zero).isNaN());
  EXPECT_TRUE((nan + one).isNaN());
  EXPECT_EQ(one / zero, inf);
  EXPECT_EQ(one / inf, zero);
  EXPECT_FALSE(nan == nan);
  EXPECT_FALSE(nan < one || one < nan || nan > one);
  EXPECT_FALSE(std::signbit((one - one).toDouble()));
  EXPECT_TRUE(std::signbit((-zero + -zero).toDouble()));
  EXPECT_EQ(Extended(1e300) * Extended(1e300) * Extended(1e300) > Extended(1e300), true);
  EXPECT_EQ((Extended(1e300) * Extended(1e300)).toDouble(), HUGE_VAL);
  EXPECT_EQ((Extended(1e-300) * Extended(1e-300)).toDouble(), 0.0);
  EXPECT_EQ((Extended(0x1p-1074) * Extended(0.75)).toDouble(), 0x1p-1074);
  EXPECT_EQ((Extended(0x1p-1074) * Extended(0.5)).toDouble(), 0.0);  // a tie, to even
  EXPECT_EQ(Extended(std::numeric_limits<float>::denorm_min()).toFloat(),
            std::numeric_limits<float>::denorm_min());
}

}  // namespace
}  // namespace mosaic
