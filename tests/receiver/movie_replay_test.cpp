#include "receiver/core/movie/movie_replay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace mosaic {
namespace {

TEST(MovieReplay, BytesBecomeValuesInTheirRunsSymbolsAndSlots) {
  EXPECT_DOUBLE_EQ(valueOfRecordedByte(128), 0.0);
  EXPECT_DOUBLE_EQ(valueOfRecordedByte(189), 61.0 / 128.0);
  EXPECT_DOUBLE_EQ(valueOfRecordedByte(0), -1.0);

  // Each byte tells where it came from: frame, symbol and sub-column.
  std::vector<std::uint8_t> frame(kMovieFrameBytes), next(kMovieFrameBytes);
  for (int t = 1; t <= 48; ++t)
    for (int s = kFirstUsedSlot; s <= kLastUsedSlot; ++s)
      for (int p = 0; p < 3; ++p) {
        frame[runByteIndex(t, s, p)] = static_cast<std::uint8_t>(t + (s == 20 ? p : 0));
        next[runByteIndex(t, s, p)] = static_cast<std::uint8_t>(100 + t);
      }
  auto planes = std::make_unique<SymbolPlanes>();
  planesFromMovieFrames(frame.data(), next.data(), *planes);
  const auto value = [&](int p, int t, int s) {
    return planes->luma[p][SymbolPlanes::index(t, s)];
  };
  EXPECT_DOUBLE_EQ(value(0, 1, 10), valueOfRecordedByte(1));
  EXPECT_DOUBLE_EQ(value(2, 7, 20), valueOfRecordedByte(9));
  EXPECT_DOUBLE_EQ(value(1, 48, 58), valueOfRecordedByte(48));
  EXPECT_DOUBLE_EQ(value(0, 49, 30), valueOfRecordedByte(101));  // the next frame's first symbol
  EXPECT_DOUBLE_EQ(value(0, 95, 30), valueOfRecordedByte(147));
  EXPECT_TRUE(std::isnan(value(0, 96, 30)));  // never recorded
  EXPECT_EQ(value(0, 0, 30), 0.0);            // never written, as in the receiver
  EXPECT_EQ(value(0, 10, 9), 0.0);
  // Colour planes follow from the colour slots as the demodulator makes them.
  EXPECT_DOUBLE_EQ(planes->cr[0][SymbolPlanes::index(5, 10)], value(0, 5, 46));
  EXPECT_DOUBLE_EQ(planes->cb[0][SymbolPlanes::index(5, 81)], value(0, 5, kBlueSlot));

  // Without a next frame, the newer half is silent.
  planesFromMovieFrames(frame.data(), nullptr, *planes);
  EXPECT_TRUE(std::isnan(value(0, 49, 30)));
  EXPECT_DOUBLE_EQ(value(0, 48, 30), valueOfRecordedByte(48));
}

}  // namespace
}  // namespace mosaic
