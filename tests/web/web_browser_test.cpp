// The station's page in a real browser (headless chromium): the live picture appears and is
// renewed as the station publishes received pictures, the status shows the rig's text as text,
// and a newly saved picture joins the gallery, all without reloading the page. The screenshots
// are left in the build folder to be looked at.

#include "tests/support/headless_browser.h"
#include "tests/web/station_web_fixture.h"

#include <QFile>

#include <chrono>
#include <cstdio>
#include <thread>

namespace mosaic::test {
namespace {

using StationWebBrowser = StationWebTest;

// The largest difference of any colour component between the page's live picture, drawn at its
// own size, and `expected`.
QString liveDifference(const QImage& expected) {
  QString pixels;
  for (int y = 0; y < expected.height(); ++y)
    for (int x = 0; x < expected.width(); ++x) {
      const QRgb p = expected.pixel(x, y);
      pixels += QStringLiteral("%1,%2,%3,").arg(qRed(p)).arg(qGreen(p)).arg(qBlue(p));
    }
  return QStringLiteral(
             "(() => { const img = document.getElementById('live');"
             "  const c = document.createElement('canvas');"
             "  c.width = img.naturalWidth; c.height = img.naturalHeight;"
             "  if (c.width !== %1 || c.height !== %2) return 255;"
             "  const g = c.getContext('2d'); g.drawImage(img, 0, 0);"
             "  const d = g.getImageData(0, 0, c.width, c.height).data;"
             "  const want = [%3]; let worst = 0;"
             "  for (let i = 0, j = 0; i < d.length; i += 4, j += 3)"
             "    for (let k = 0; k < 3; ++k) worst = Math.max(worst, Math.abs(d[i + k] - want[j + "
             "k]));"
             "  return worst; })()")
      .arg(expected.width())
      .arg(expected.height())
      .arg(pixels.chopped(1));
}

void keepScreenshot(HeadlessBrowser& browser, const char* name) {
  QFile file(QStringLiteral(MOSAIC_SCREENSHOT_DIR "/") + name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(browser.screenshot()) > 0);
  std::printf("screenshot: %s\n", qPrintable(file.fileName()));
}

TEST_F(StationWebBrowser, LivePictureAppearsAndIsRenewedWithoutReloading) {
  if (HeadlessBrowser::executable().isEmpty()) GTEST_SKIP() << "chromium is not installed";
  const std::vector<QImage>& pictures = receivedPictures();
  ASSERT_GE(pictures.size(), 4u);
  for (int i = 0; i < 2; ++i)
    save("mosaic-2026-12-07-12153" + std::to_string(i) + "Z.png", pictures[i],
         {{"Received", QStringLiteral("2026-12-07T12:15:3%1Z").arg(i)},
          {"SNR", "21.0 dB in 3000 Hz"},
          {"Mode", "<b>USB</b>"}});
  web::StationStatus status;
  status.lock = web::LockState::Locked;
  status.tuningHz = 0.42;
  status.clockPpm = -2.5;
  status.snrDb = 21.0;
  status.rig = "14.230000 MHz <b>USB</b>";
  server_.publishStatus(status);
  server_.publishPicture(pictures[0]);

  HeadlessBrowser browser;
  ASSERT_TRUE(browser.open("http://127.0.0.1:" + std::to_string(server_.port()) + "/"));
  ASSERT_TRUE(browser.waitFor("document.getElementById('live').dataset.picture === '1'", 30000));
  EXPECT_LE(browser.evaluate(liveDifference(pictures[0]))->toInt(), 1);
  EXPECT_EQ(browser.evaluate("document.getElementById('rig').textContent")->toString(), status.rig);
  EXPECT_EQ(browser.evaluate("document.querySelectorAll('main b').length")->toInt(), 0);
  EXPECT_EQ(browser.evaluate("document.querySelectorAll('.pictures li').length")->toInt(), 2);

  // Received pictures published one frame (1.28 s) apart, each shown before the next comes.
  for (int n = 2; n <= 4; ++n) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1280));
    const auto published = std::chrono::steady_clock::now();
    server_.publishPicture(pictures[n - 1]);
    ASSERT_TRUE(browser.waitFor(
        QStringLiteral("document.getElementById('live').dataset.picture === '%1'").arg(n), 10000));
    std::printf(
        "picture %d shown after %.0f ms\n", n,
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - published)
            .count());
    EXPECT_LE(browser.evaluate(liveDifference(pictures[n - 1]))->toInt(), 1);
  }

  save("mosaic-2026-12-07-121539Z.png", pictures[3],
       {{"Received", "2026-12-07T12:15:39Z"}, {"SNR", "18.2 dB in 3000 Hz"}});
  EXPECT_TRUE(browser.waitFor("document.querySelectorAll('.pictures li').length === 3", 10000));
  status.folderTrouble = "Cannot write in the folder: no space left on the device";
  server_.publishStatus(status);
  EXPECT_TRUE(
      browser.waitFor("!document.getElementById('trouble').hidden && "
                      "document.getElementById('trouble').textContent.includes('no space left')",
                      10000));
  keepScreenshot(browser, "station-page.png");

  browser.evaluate("location.href = document.querySelector('.pictures a').href");
  ASSERT_TRUE(browser.waitFor("document.querySelector('.view img')?.complete === true", 10000));
  EXPECT_TRUE(browser.evaluate("document.querySelector('.view img').naturalWidth")->toInt() > 0);
  keepScreenshot(browser, "station-picture.png");
}

}  // namespace
}  // namespace mosaic::test
