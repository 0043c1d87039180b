// `mosaic monitor` on a sound device of the private test sound server (skipped without it): a
// picture played into the named device is received and saved once; the device unplugged is logged
// as lost (the default input stands in), and plugged in again as returned. Without a source the
// monitor records from the default input.

#include "tests/station/station_signals.h"
#include "tests/support/monitor_run.h"
#include "tests/support/private_sound_loop.h"
#include "tests/support/sound_server.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace mosaic::test {
namespace {

const QString kTool = QStringLiteral(MOSAIC_TOOL_PATH);

// Waits until the monitor's recording stream is on `source` alone.
bool recordsFrom(const MonitorRun& monitor, const QString& source, int timeoutMs) {
  const qint64 pid = monitor.process.processId();
  return runUntil([&] { return streamDevicesOf(pid, false) == QStringList{source}; }, timeoutMs);
}

TEST(MonitorDevice, ReceivesFromTheNamedDeviceAndLogsItsLossAndReturn) {
  testCard();  // the application object: fonts for the pictures, the event loop for the waits
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  PrivateLoop loop;
  ASSERT_TRUE(loop.loaded());
  QTemporaryDir dir;
  const QString logPath = dir.filePath(QStringLiteral("log.jsonl"));
  const QString signal = dir.filePath(QStringLiteral("signal.raw"));
  ASSERT_TRUE(writeRaw(signal, at9600(throughNoise(sentCardThenRamps(7, 7), 25.0))));

  // Each frame on its own: combined, the held picture outlasts the silence after the signal.
  MonitorRun monitor(kTool, {"--device", loop.source, "--integrate", "0", "--pictures",
                             dir.filePath("pictures"), "--log", logPath});
  ASSERT_TRUE(recordsFrom(monitor, loop.source, 10000));
  QProcess player;
  player.setStandardInputFile(signal);
  player.start(QStringLiteral("pacat"),
               {"--device=" + loop.sink, "--rate=9600", "--channels=1", "--format=s16le"});
  ASSERT_TRUE(player.waitForFinished(20000));
  // Saved when the silence after it changes the picture, or the lock has been gone for 3 s.
  MonitorLog log = MonitorLog::waitFor(logPath, "picture_saved", 8);
  EXPECT_EQ(log.names.mid(0, 2), (QStringList{"started", "locked"})) << log.text();
  EXPECT_EQ(log.all("picture_saved", "path").size(), 1) << log.text();

  pactl({"unload-module", loop.sourceModule});
  EXPECT_TRUE(recordsFrom(monitor, QStringLiteral("loopin"), 10000)) << "the default stands in";
  loop.sourceModule = pactl({"load-module", "module-remap-source",
                             "master=" + loop.sink + ".monitor", "source_name=" + loop.source});
  EXPECT_TRUE(recordsFrom(monitor, loop.source, 10000));
  EXPECT_EQ(monitor.stop(SIGTERM), 0);

  log = MonitorLog::waitFor(logPath, "stopped", 1);
  EXPECT_EQ(log.all("started", "source"), QStringList("device " + loop.source));
  EXPECT_EQ(log.all("device_lost", "reason").size(), 1) << log.text();
  EXPECT_EQ(log.all("device_returned", "device"), QStringList(loop.source)) << log.text();
  EXPECT_LT(log.names.indexOf("device_lost"), log.names.indexOf("device_returned"));
}

TEST(MonitorDevice, WithoutASourceRecordsFromTheDefaultInput) {
  testCard();  // the application object: fonts for the pictures, the event loop for the waits
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  QTemporaryDir dir;
  const QString logPath = dir.filePath(QStringLiteral("log.jsonl"));
  MonitorRun monitor(kTool, {"--pictures", dir.filePath("pictures"), "--log", logPath});
  EXPECT_TRUE(recordsFrom(monitor, QStringLiteral("loopin"), 10000));
  EXPECT_EQ(monitor.stop(SIGINT), 0);
  const MonitorLog log = MonitorLog::waitFor(logPath, "stopped", 1);
  EXPECT_EQ(log.all("started", "source"), QStringList("the default sound input"));
  EXPECT_FALSE(log.names.contains(QStringLiteral("device_lost"))) << log.text();
}

}  // namespace
}  // namespace mosaic::test
