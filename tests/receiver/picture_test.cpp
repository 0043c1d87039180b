#include "receiver/core/picture/colour_composition.h"
#include "receiver/core/picture/picture_filters.h"
#include "receiver/core/picture/render_picture.h"
#include "signal/byte_rounding.h"
#include "signal/integer_rounding.h"
#include "signal/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace mosaic {
namespace {

DisplaySettings withSaturation(int saturation) {
  DisplaySettings s;
  s.saturation = saturation;
  return s;
}

TEST(ColourComposition, MonochromeAtSaturationZero) {
  const DisplaySettings mono = withSaturation(0);
  EXPECT_EQ(composePixel(1.0, 0.7, -0.4, mono), (Bgr{178, 178, 178}));
  EXPECT_EQ(composePixel(1.433, 3.0, 3.0, mono), (Bgr{255, 255, 255}));
  EXPECT_EQ(composePixel(1.432, 0.0, 0.0, mono), (Bgr{255, 255, 255}));  // 254.9 rounds up
  EXPECT_EQ(composePixel(1.43, 0.0, 0.0, mono), (Bgr{255, 255, 255}));   // 254.54
  EXPECT_EQ(composePixel(1.42, 0.0, 0.0, mono), (Bgr{253, 253, 253}));   // 252.76
  EXPECT_EQ(composePixel(0.0, 1.0, 1.0, mono), (Bgr{0, 0, 0}));
  EXPECT_EQ(composePixel(-0.2, 1.0, 1.0, mono), (Bgr{0, 0, 0}));
}

TEST(ColourComposition, DoubleSaturationTiesToEvenAndNotANumber) {
  EXPECT_EQ(composePixel(0.5, 0.25, 0.0, withSaturation(400)), (Bgr{89, 44, 178}));
  DisplaySettings bright;
  bright.brightness = 40;
  EXPECT_EQ(composePixel(0.0, 0.0, 0.0, bright), (Bgr{40, 40, 40}));
  const double nan = std::nan("");
  const Bgr fromNan = composePixel(nan, nan, nan, bright);
  EXPECT_EQ(fromNan, (Bgr{0, 0, 0}));
  // Only the components that use the missing value are lost.
  EXPECT_EQ(composePixel(0.5, nan, 0.0, DisplaySettings{}), (Bgr{89, 0, 0}));
}

TEST(NoiseFilter, BlendsTowardsThePreviousPicture) {
  EXPECT_EQ(blendWithPrevious(0, 255, kHeavyNoiseFilter), 16);   // 15.94
  EXPECT_EQ(blendWithPrevious(0, 255, kLightNoiseFilter), 128);  // 127.5, ties to even
  EXPECT_EQ(blendWithPrevious(0, 253, kLightNoiseFilter), 126);  // 126.5
  EXPECT_EQ(blendWithPrevious(255, 255, kHeavyNoiseFilter), 255);
  EXPECT_EQ(blendWithPrevious(100, 0, kMediumNoiseFilter), 75);
}

TEST(ByteRounding, FastPathAgreesWithTheLibraryRounding) {
  std::vector<long double> values = {
      std::nanl(""), -1e30L, -0.5L,
      0.0L,          0.5L,   255.5L,
      256.0L,        1e30L,  std::numeric_limits<long double>::infinity()};
  for (int n = -2; n <= 600; ++n) {
    const long double half = n / 2.0L;  // every tie
    values.push_back(half);
    values.push_back(std::nextafter(half, 1e9L));
    values.push_back(std::nextafter(half, -1e9L));
    values.push_back(n * 0.4273L);
  }
  for (long double v : values)
    ASSERT_EQ(roundToByteFast(v), roundToByte(v)) << static_cast<double>(v);
}

TEST(IntegerRounding, AgreesWithRoundingTheExactQuotient) {
  for (int divisor : {2, 3, 4, 16}) {
    for (int n = 0; n <= 4096; ++n) {
      ASSERT_EQ(divideRoundHalfEven(n, divisor),
                roundHalfEven(static_cast<long double>(n) / divisor))
          << n << "/" << divisor;
    }
  }
}

TEST(HorizontalFilter, SpreadsOnePixelRightAndATailLeft) {
  std::array<std::uint8_t, kPictureStride> row{};
  row[3 * 100 + kGreen] = 255;
  row[0] = 77;               // pixel 0 keeps its value
  row[3 * 287 + kRed] = 99;  // so does pixel 287
  filterRowHorizontally(row.data());
  const int want[] = {0, 2, 9, 36, 144, 64, 0};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(row[3 * (96 + i) + kGreen], want[i]) << 96 + i;
  for (int x = 95; x > 0; --x) EXPECT_EQ(row[3 * x + kGreen], 0) << x;
  EXPECT_EQ(row[3 * 100 + kBlue], 0);  // components stay apart
  EXPECT_EQ(row[0], 77);
  EXPECT_EQ(row[3 * 287 + kRed], 99);
  EXPECT_EQ(row[3 * 286 + kRed], 25);  // (0 + 99 + 0) / 4 = 24.75
  EXPECT_EQ(row[3 * 1 + kBlue], 19);   // (0 + 0 + 77) / 4 = 19.25
}

TEST(VerticalStep, CopiesOrInterpolatesBetweenPrimaryRows) {
  auto bitmap = std::make_unique<PictureBitmap>();
  bitmap->row(1)[5] = 30;
  bitmap->row(4)[5] = 100;
  bitmap->row(382)[7] = 200;
  verticalStep(*bitmap, false);
  EXPECT_EQ(bitmap->row(2)[5], 30);
  EXPECT_EQ(bitmap->row(3)[5], 30);
  EXPECT_EQ(bitmap->row(384)[7], 200);
  EXPECT_EQ(bitmap->row(0)[5], 0);
  verticalStep(*bitmap, true);
  EXPECT_EQ(bitmap->row(2)[5], 53);     // (60 + 100) / 3 = 53.3
  EXPECT_EQ(bitmap->row(3)[5], 77);     // (30 + 200) / 3 = 76.7
  EXPECT_EQ(bitmap->row(383)[7], 133);  // towards row 385, never written
  EXPECT_EQ(bitmap->row(384)[7], 67);
  EXPECT_EQ(bitmap->row(385)[7], 0);
}

TEST(RenderPicture, ZeroPlanesShowBrightnessAndSlotsMapToRowsAndColumns) {
  auto planes = std::make_unique<SymbolPlanes>();
  auto bitmap = std::make_unique<PictureBitmap>();
  // Symbol 5, slot 20 grey 1.0; sub-column 2 only.
  planes->luma[2][SymbolPlanes::index(5, 20)] = 1.0;
  DisplaySettings s;
  s.brightness = 12;
  renderPicture(*planes, s, *bitmap);
  const int x = pictureColumn(5, 2);
  EXPECT_EQ(x, 270);
  const int y = primaryRow(19);  // slot 20
  EXPECT_EQ(y, 58);
  for (int dy = 0; dy < 3; ++dy) {
    const std::uint8_t* px = bitmap->pixel(x, y + dy);
    EXPECT_EQ(px[kRed], 190);
    EXPECT_EQ(px[kGreen], 190);
    EXPECT_EQ(px[kBlue], 190);
  }
  // Everything else (all-zero planes): brightness; the three rightmost columns always.
  for (int xx : {285, 286, 287, 0}) EXPECT_EQ(bitmap->pixel(xx, 10)[kGreen], 12) << xx;
  EXPECT_EQ(bitmap->pixel(x, y + 3)[kRed], 12);
  EXPECT_EQ(bitmap->row(0)[0], 0);  // row 0 is never written
  // The noise filter then keeps part of the previous picture.
  s.noiseFilter = true;
  s.noiseWeights = kMediumNoiseFilter;
  planes->luma[2][SymbolPlanes::index(5, 20)] = 0.0;
  renderPicture(*planes, s, *bitmap);
  EXPECT_EQ(bitmap->pixel(x, y)[kRed], 146);  // (3 * 190 + 12) / 4 = 145.5
}

TEST(RenderPicture, LastPrimaryRowShowsSlotZeroOfTheNextSymbol) {
  auto planes = std::make_unique<SymbolPlanes>();
  auto bitmap = std::make_unique<PictureBitmap>();
  planes->luma[0][SymbolPlanes::index(3, 0)] = 1.0;  // never written by the demodulator
  renderPicture(*planes, DisplaySettings{}, *bitmap);
  EXPECT_EQ(bitmap->pixel(pictureColumn(2, 0), primaryRow(127))[kRed], 178);
}

TEST(RenderPicture, LargeViewCoversExactlyTheNewestBufferAndTheLuminanceSlots) {
  const SourceRect large = sourceRect(ScreenSize::Large);
  EXPECT_EQ(large.y, primaryRow(10 - 1));                         // slot 10
  EXPECT_EQ(large.y + large.height - 1, primaryRow(45 - 1) + 2);  // slot 45 with its band
  EXPECT_EQ(large.x + large.width - 1, pictureColumn(48, 0));     // symbols 48..95
  EXPECT_EQ(large.x, pictureColumn(95, 2));
  const SourceRect small = sourceRect(ScreenSize::Small);
  EXPECT_EQ(small.width, 288);
  EXPECT_EQ(small.height, 192);
}

}  // namespace
}  // namespace mosaic
