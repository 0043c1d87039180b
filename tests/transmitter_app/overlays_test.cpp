// The overlays on the composed video area and the grab that follows them.

#include "transmitter/app/overlays.h"
#include "tests/support/qt_app.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/crawl_text.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace mosaic {
namespace {

QImage filled(QColor colour) {
  QImage img(160, 128, QImage::Format_RGB888);
  img.fill(colour);
  return img;
}

TEST(Overlays, WhiteAreaGivesFullScaleLuminanceAndNoColourInTheSentColumns) {
  test::app();
  ComposedVideoArea area;
  area.setSourcePicture(filled(Qt::white));
  CrawlState crawl;
  TransmitChain chain;
  std::vector<std::int16_t> frame(kFrameSamples);
  buildComposedFrame(chain, area, crawl, "", frame.data());
  const PicturePlanes* planes = &chain.planes();
  // The marker frame's columns 31..32 fall into column 48, which is never converted.
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      if (r == 16 || r == 17 || r == 54 || r == 55) continue;  // the marker's rows 95..96, 19..20
      ASSERT_FLOAT_EQ(planes->Y[c][r], 7.9687505f) << c << "," << r;
      ASSERT_LT(std::fabs(planes->V[c][r]), 2e-7f);
      ASSERT_LT(std::fabs(planes->U[c][r]), 2e-7f);
    }
  for (int r = 0; r < 96; ++r) EXPECT_EQ(planes->Y[48][r], 0.0f);
}

TEST(Overlays, MarkerFrameNeverReachesTheTransmittedRowsOrColumns) {
  test::app();
  for (QColor colour : {QColor(Qt::black), QColor(Qt::white), QColor(30, 140, 220)}) {
    ComposedVideoArea plain, marked;
    plain.setSourcePicture(filled(colour));
    marked.setSourcePicture(filled(colour));
    CrawlState crawl;
    marked.drawOverlays(crawl, "");
    const QImage& m = marked.image();
    EXPECT_EQ(m.pixelColor(32, 20), QColor(255, 255, 0));
    EXPECT_EQ(m.pixelColor(130, 96), QColor(255, 255, 0));
    EXPECT_EQ(m.pixelColor(129, 50), QColor(255, 255, 0));
    // Client rows 22..93 and columns 34..127 carry the picture untouched.
    for (int y = 21; y <= 94; ++y)
      for (int x = 33; x <= 128; ++x)
        ASSERT_EQ(m.pixel(x, y), plain.image().pixel(x, y)) << x << "," << y;
  }
}

TEST(Overlays, CrawlCellsAreGreyWithBlueTextAtTheirPlaceAndGoWhenSwitchedOff) {
  test::app();
  ComposedVideoArea area;
  area.setSourcePicture(filled(Qt::black));
  CrawlState crawl;
  crawl.crawlOn = true;
  area.drawOverlays(crawl, "MMMMMMMMMMMMMMMM");
  const QImage& img = area.image();
  // Opaque cells from client row 75 down; the marker (drawn after the crawl) keeps column 32.
  int grey = 0, blue = 0, cellRows = 0;
  for (int y = 75; y < 100 && img.pixelColor(60, y) != QColor(Qt::black); ++y) ++cellRows;
  EXPECT_GE(cellRows, 19);
  for (int y = 75; y < 75 + cellRows; ++y)
    for (int x = 33; x < 128; ++x) {
      const QColor c = img.pixelColor(x, y);
      grey += c == QColor(192, 192, 192);
      blue += c == QColor(0, 0, 255);
    }
  EXPECT_GT(grey, 500);
  EXPECT_GT(blue, 300);
  int cellPixels = 0;  // all of them but where the marker's bottom line (rows 95, 96) crosses
  for (int y = 75; y < 75 + cellRows; ++y) cellPixels += (y == 95 || y == 96) ? 0 : 95;
  EXPECT_EQ(grey + blue, cellPixels);
  EXPECT_EQ(img.pixelColor(32, 80), QColor(255, 255, 0));
  EXPECT_EQ(img.pixelColor(40, 74), QColor(Qt::black));  // nothing above the cells
  // Eleven wide characters reach past the video area's right edge, where the window shows.
  int beyond = 0;
  for (int x = 160; x < ComposedVideoArea::kWidth; ++x) beyond += qAlpha(img.pixel(x, 80)) > 0;
  EXPECT_GT(beyond, 0);
  // Off: the next frame shows the picture and the marker only.
  crawl.crawlOn = false;
  area.drawOverlays(crawl, "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(area.image().pixelColor(60, 85), QColor(Qt::black));
}

TEST(Overlays, DigitZeroIsDrawnAsSlashedO) {
  test::app();
  const std::string crawl = prepareCrawlText("CQ 0");
  EXPECT_EQ(crawlBytesToText(crawl), QString::fromUtf8("CQ \xC3\x98"));
  EXPECT_EQ(crawlBytesToText("A\r\nB"), "A  B");
  // And the font has the glyph: drawn, it differs from a plain O.
  QImage a(200, 40, QImage::Format_RGB32), b(200, 40, QImage::Format_RGB32);
  a.fill(Qt::white);
  b.fill(Qt::white);
  QPainter pa(&a), pb(&b);
  pa.translate(-32, -75);
  pb.translate(-32, -75);
  drawCrawlWindow(pa, kSlashedZero);
  drawCrawlWindow(pb, "O");
  pa.end();
  pb.end();
  EXPECT_NE(a, b);
}

TEST(Overlays, CrawlFontIsArialOrItsMetricTwin) {
  test::app();
  const QFontInfo info(crawlFont());
  EXPECT_TRUE(info.family() == "Arial" || info.family() == "Liberation Sans")
      << info.family().toStdString();
  EXPECT_TRUE(info.bold());
  EXPECT_TRUE(info.italic());
  EXPECT_EQ(info.pixelSize(), 18);
}

}  // namespace
}  // namespace mosaic
