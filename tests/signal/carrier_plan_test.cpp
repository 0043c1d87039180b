#include "signal/carrier_plan.h"
#include "signal/rounding.h"
#include "signal/timing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

namespace mosaic {
namespace {

TEST(CarrierPlan, FortyNineCarriersInGenerationOrder) {
  const auto& order = generationOrder();
  ASSERT_EQ(order.size(), 49u);
  EXPECT_EQ(order.front(), 56);
  EXPECT_EQ(order[35], 91);
  EXPECT_EQ(order[36], 12);
  EXPECT_EQ(order[44], 20);
  EXPECT_EQ(order[45], 21);
  EXPECT_EQ(order.back(), 24);
  std::set<int> distinct(order.begin(), order.end());
  EXPECT_EQ(distinct.size(), 49u);
  for (int k : order) EXPECT_NE(carrierContent(k), CarrierContent::None) << k;
}

TEST(CarrierPlan, FrequenciesContentAndRows) {
  EXPECT_DOUBLE_EQ(carrierFrequencyHz(56), 2100.0);
  EXPECT_DOUBLE_EQ(carrierFrequencyHz(91), 3412.5);
  EXPECT_DOUBLE_EQ(carrierFrequencyHz(12), 450.0);
  EXPECT_DOUBLE_EQ(carrierFrequencyHz(24), 900.0);
  EXPECT_EQ(carrierContent(25), CarrierContent::None);
  EXPECT_EQ(carrierContent(55), CarrierContent::None);
  EXPECT_EQ(carrierContent(11), CarrierContent::None);
  EXPECT_EQ(carrierContent(92), CarrierContent::None);
  EXPECT_EQ(carrierContent(20), CarrierContent::RedDifference);
  EXPECT_EQ(carrierContent(21), CarrierContent::BlueDifference);
  EXPECT_EQ(lumaRow(56), 18);
  EXPECT_EQ(lumaRow(91), 53);
  EXPECT_EQ(vFirstRow(12), 18);
  EXPECT_EQ(vFirstRow(20) + 3, 53);
  EXPECT_EQ(uFirstRow(21), 18);
  EXPECT_EQ(uFirstRow(22), 27);
  EXPECT_EQ(uFirstRow(24) + 8, 53);
}

TEST(CarrierPlan, SlotsMapBinsBothWays) {
  EXPECT_EQ(slotOfBin(56), 10);
  EXPECT_EQ(slotOfBin(91), 45);
  EXPECT_EQ(slotOfBin(12), 46);
  EXPECT_EQ(slotOfBin(21), kBlueSlot);
  EXPECT_EQ(slotOfBin(24), 58);
  for (int k : generationOrder()) EXPECT_EQ(binOfSlot(slotOfBin(k)), k);
}

TEST(Timing, SymbolBoundariesFallBetweenOddSamples) {
  EXPECT_EQ(symbolOfOddSample(1), 0);
  EXPECT_EQ(symbolOfOddSample(639), 0);
  EXPECT_EQ(symbolOfOddSample(641), 1);
  EXPECT_EQ(symbolOfOddSample(60799), 47);
  EXPECT_EQ(symbolOfOddSample(60801), 48);
  EXPECT_EQ(symbolOfOddSample(61439), 48);
}

TEST(Rounding, NearestWithTiesToEvenAndLimits) {
  EXPECT_EQ(roundHalfEven(0.5L), 0);
  EXPECT_EQ(roundHalfEven(1.5L), 2);
  EXPECT_EQ(roundHalfEven(2.5L), 2);
  EXPECT_EQ(roundHalfEven(-2.5L), -2);
  EXPECT_EQ(roundHalfEven(626.998L), 627);
  EXPECT_EQ(roundToByte(189.4L), 189);
  EXPECT_EQ(roundToByte(44.5L), 44);
  EXPECT_EQ(roundToByte(127.5L), 128);
  EXPECT_EQ(roundToByte(-3.0L), 0);
  EXPECT_EQ(roundToByte(300.0L), 255);
  EXPECT_EQ(roundToByte(std::numeric_limits<long double>::quiet_NaN()), 0);
  EXPECT_EQ(saturate16(40000), 32767);
  EXPECT_EQ(saturate16(-58800), -32768);
  EXPECT_EQ(saturate16(-32768), -32768);
  EXPECT_EQ(saturate16(1234), 1234);
}

}  // namespace
}  // namespace mosaic
