#include "transmitter/core/grab_reduction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace mosaic {
namespace {

void fill(GrabBitmap& g, std::uint8_t b, std::uint8_t gr, std::uint8_t r) {
  for (int y = 0; y < GrabBitmap::kHeight; ++y)
    for (int x = 32; x < 128; ++x) {
      auto* p = g.pixelAt(x, y);
      p[0] = b;
      p[1] = gr;
      p[2] = r;
    }
}

TEST(GrabReduction, WhiteGivesFullLuminanceAndNoColour) {
  auto grab = std::make_unique<GrabBitmap>();
  fill(*grab, 255, 255, 255);
  auto planes = std::make_unique<PicturePlanes>();
  reduceGrab(*grab, *planes);
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      ASSERT_EQ(planes->Y[c][r], 7.9687505f) << c << "," << r;
      ASSERT_LT(std::fabs(planes->V[c][r]), 2e-7f);
      ASSERT_LT(std::fabs(planes->U[c][r]), 2e-7f);
    }
  // Column 48 is never converted; column 0 and the rows outside the picture stay 0.
  for (int r = 0; r < kPlaneRows; ++r) {
    EXPECT_EQ(planes->Y[48][r], 0.0f);
    EXPECT_EQ(planes->Y[0][r], 0.0f);
  }
  EXPECT_EQ(planes->Y[10][0], 0.0f);
  EXPECT_EQ(planes->Y[10][65], 0.0f);
}

TEST(GrabReduction, PureRedGivesTheRedDifferenceExtremes) {
  auto grab = std::make_unique<GrabBitmap>();
  fill(*grab, 0, 0, 255);
  auto planes = std::make_unique<PicturePlanes>();
  reduceGrab(*grab, *planes);
  EXPECT_NEAR(planes->V[10][30], 4.9008, 1e-4);
  EXPECT_NEAR(planes->U[10][30], -1.1714, 1e-4);
  EXPECT_NEAR(planes->Y[10][30], 0.3 * 7.96875, 1e-6);
}

TEST(GrabReduction, ColumnsAreMirroredAndRowsCountFromTheBottom) {
  auto grab = std::make_unique<GrabBitmap>();
  // Right-hand edge pair (client columns 126, 127), bottom rows 126, 127: column 1, row 1.
  for (int x : {126, 127})
    for (int y : {126, 127}) grab->pixelAt(x, y)[1] = 128;  // green
  // Left-hand edge pair (client columns 32, 33), top rows 0, 1: column 48, row 64.
  for (int x : {32, 33})
    for (int y : {0, 1}) grab->pixelAt(x, y)[2] = 255;  // red
  // One pixel at client column 100, row 50: column (128 - 100) / 2 = 14, row (128 - 50) / 2 = 39.
  grab->pixelAt(100, 50)[0] = 64;  // blue

  auto samples = std::make_unique<GrabSamples>();
  unpackGrab(*grab, *samples);
  EXPECT_EQ(samples->Gs[0][1], 128);     // client (126, 127): m = 0, k = 127 - 126 = 1
  EXPECT_EQ(samples->Rs[127][95], 255);  // client (32, 0): m = 127, k = 95
  EXPECT_EQ(samples->Bs[77][27], 64);

  auto colour = std::make_unique<RgbPlanes>();
  reduceBlocks(*samples, *colour);
  EXPECT_FLOAT_EQ(colour->G[1][1], 4 * 128 / 128.0f);
  EXPECT_FLOAT_EQ(colour->R[48][64], 4 * 255 / 128.0f);
  EXPECT_FLOAT_EQ(colour->B[14][39], 64 / 128.0f);

  auto planes = std::make_unique<PicturePlanes>();
  reduceGrab(*grab, *planes);
  EXPECT_NEAR(planes->Y[1][1], 0.6 * 4.0, 1e-6);
  EXPECT_EQ(planes->Y[48][64], 0.0f);  // the left-hand pair is never sent
  EXPECT_NEAR(planes->U[14][39], 0.436 * 0.5, 1e-6);
}

}  // namespace
}  // namespace mosaic
