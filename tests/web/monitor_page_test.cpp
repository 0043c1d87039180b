// `mosaic monitor --web` end to end in a real browser (headless chromium; skipped without it): a
// recording plays into the monitor at its own speed while the page is open; the received picture
// appears, is renewed frame after frame, and the status says the station is locked on it. The
// screenshot is left in the build folder to be looked at.

#include "tests/station/station_signals.h"
#include "tests/support/headless_browser.h"
#include "tests/support/loopback_address.h"
#include "tests/support/monitor_run.h"
#include "tests/tools/tool_runner.h"
#include "tests/web/station_web_fixture.h"

#include <QFile>

#include <cstdio>

namespace mosaic::test {
namespace {

TEST(MonitorPage, TheReceivedPictureAppearsAndIsRenewedWhileARecordingPlays) {
  if (HeadlessBrowser::executable().isEmpty()) GTEST_SKIP() << "chromium is not installed";
  QTemporaryDir dir;
  const QString recording = dir.filePath(QStringLiteral("card.wav"));
  const QString logPath = dir.filePath(QStringLiteral("log.jsonl"));
  // The test card with a block that moves: every frame is a new picture.
  writeSentWav(recording, throughNoise(sentTestCard(14, kFrameSamples / 3), 25.0));
  const int port = freeTcpPort();
  MonitorRun monitor(QStringLiteral(MOSAIC_TOOL_PATH),
                     {"--input", recording, "--realtime", "--web", QString::number(port),
                      "--pictures", dir.filePath("pictures"), "--log", logPath});
  const MonitorLog started = MonitorLog::waitFor(logPath, "started", 10);
  const QString page = QStringLiteral("http://127.0.0.1:%1/").arg(port);
  ASSERT_EQ(started.all("started", "web"), QStringList(page))
      << monitor.process.readAllStandardError().toStdString();

  HeadlessBrowser browser;
  ASSERT_TRUE(browser.open(page.toStdString()));
  const QString number = QStringLiteral("Number(document.getElementById('live').dataset.picture)");
  ASSERT_TRUE(browser.waitFor(number + " >= 1", 15000)) << "no picture within 15 s";
  const int first = browser.evaluate(number)->toInt();
  // A buffer brings a new frame every 1.28 s; the page asks every so often.
  for (int renewed = 1; renewed <= 2; ++renewed)
    ASSERT_TRUE(browser.waitFor(number + QStringLiteral(" >= %1").arg(first + renewed), 4000))
        << "not renewed " << renewed << " time(s)";
  EXPECT_EQ(browser.evaluate("document.getElementById('lock').textContent")->toString(),
            QStringLiteral("Locked"));
  EXPECT_GT(browser.evaluate("document.getElementById('live').naturalWidth")->toInt(), 0);
  EXPECT_TRUE(browser.evaluate("document.getElementById('waiting').hidden")->toBool());

  QFile shot(QStringLiteral(MOSAIC_SCREENSHOT_DIR "/monitor-page.png"));
  ASSERT_TRUE(shot.open(QIODevice::WriteOnly) && shot.write(browser.screenshot()) > 0);
  std::printf("screenshot: %s\n", qPrintable(shot.fileName()));
  EXPECT_EQ(monitor.stop(SIGTERM), 0);
}

}  // namespace
}  // namespace mosaic::test
