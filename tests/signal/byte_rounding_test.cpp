#include "signal/byte_rounding.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mosaic {
namespace {

// The shift must follow each type's own significand: a fixed 1.5 * 2^63 truncates where long
// double is wider than the x87 format, and rounds to 2 or 4 where it is double.
template <typename Real>
void roundsToNearestEven() {
  EXPECT_EQ(nearestIntegerFast(Real(2.5)), Real(2));
  EXPECT_EQ(nearestIntegerFast(Real(3.5)), Real(4));
  EXPECT_EQ(nearestIntegerFast(Real(-2.5)), Real(-2));
  EXPECT_EQ(nearestIntegerFast(Real(126.49)), Real(126));
  EXPECT_EQ(nearestIntegerFast(Real(126.51)), Real(127));
  EXPECT_EQ(nearestIntegerFast(std::nextafter(Real(0.5), Real(1))), Real(1));
  EXPECT_EQ(roundToByteFast(Real(254.5)), 254);
  EXPECT_EQ(roundToByteFast(std::nextafter(Real(254.5), Real(255))), 255);
  EXPECT_EQ(roundToByteFast(Real(0.5)), 0);
  EXPECT_EQ(roundToByteFast(Real(128.7)), 129);
  EXPECT_EQ(roundToByteFast(Real(NAN)), 0);
}

TEST(ByteRounding, NearestEvenInEveryFloatingPointType) {
  roundsToNearestEven<float>();
  roundsToNearestEven<double>();
  roundsToNearestEven<long double>();
}

}  // namespace
}  // namespace mosaic
