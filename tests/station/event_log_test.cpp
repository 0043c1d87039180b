// The station's JSON-lines log in a real file: whole lines from many threads at once, the radio's
// dial on every line, and a disk that fills up and frees again.

#include "station/event_log.h"

#include "tests/support/small_disk.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

namespace mosaic::station {
namespace {

QList<QByteArray> lines(const std::string& path) {
  QFile file(QString::fromStdString(path));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  QList<QByteArray> all = file.readAll().split('\n');
  if (!all.isEmpty() && all.back().isEmpty()) all.pop_back();
  return all;
}

QJsonObject object(const QByteArray& line) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(line, &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
  return document.object();
}

TEST(EventLog, ManyThreadsWriteWholeLinesWithTheTimeAndTheDial) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "mosaic-log-test.jsonl").string();
  std::remove(path.c_str());
  {
    EventLog log;
    std::string error;
    ASSERT_TRUE(log.open(path, error)) << error;
    log.setDialSource([] { return std::optional<DialReading>(DialReading{14230000.0, "USB"}); });
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
      writers.emplace_back([&log, t] {
        for (int i = 0; i < 200; ++i)
          log.write("picture_saved",
                    JsonLine().integer("thread", t).text("path", std::string(300, 'x')));
      });
    }
    for (auto& w : writers) w.join();
  }
  const auto all = lines(path);
  ASSERT_EQ(all.size(), 800);
  const QRegularExpression utc(
      QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$"));
  for (const QByteArray& line : all) {
    const QJsonObject o = object(line);
    ASSERT_TRUE(utc.match(o["time"].toString()).hasMatch()) << line.toStdString();
    ASSERT_EQ(o["event"].toString(), QStringLiteral("picture_saved"));
    ASSERT_EQ(o["dial_hz"].toDouble(), 14230000.0);
    ASSERT_EQ(o["mode"].toString(), QStringLiteral("USB"));
    ASSERT_TRUE(line.startsWith("{\"time\":"));
  }
  std::remove(path.c_str());

  EventLog nowhere;
  std::string error;
  EXPECT_FALSE(nowhere.open("/no/such/folder/log.jsonl", error));
  EXPECT_NE(error.find("/no/such/folder/log.jsonl"), std::string::npos);
  nowhere.write("started");  // nothing to write to, and nothing happens
}

TEST(EventLog, AFullDiskLosesLinesButNeverTheStationAndTheLogGoesOnWhenThereIsRoom) {
  testing::SmallDisk disk("64k");
  if (!disk.mounted()) GTEST_SKIP() << "no small file system could be mounted (needs root)";
  EventLog log;
  std::string error;
  ASSERT_TRUE(log.open(disk.file("log.jsonl"), error)) << error;
  log.write("started");
  disk.fillLeaving(0);
  for (int i = 0; i < 50; ++i)
    log.write("picture_saved", JsonLine().text("path", std::string(200, 'p')));
  EXPECT_GT(log.failedLines(), 0);
  std::filesystem::remove(disk.file(".filler"));
  log.write("stopped");
  const auto all = lines(disk.file("log.jsonl"));
  ASSERT_GE(all.size(), 3);
  EXPECT_EQ(object(all.front())["event"].toString(), QStringLiteral("started"));
  // A line cut short by the full disk stands alone; the lines after it are whole.
  EXPECT_EQ(object(all[all.size() - 2])["event"].toString(), QStringLiteral("stopped"));
  const QJsonObject resumed = object(all.back());
  EXPECT_EQ(resumed["event"].toString(), QStringLiteral("log_resumed"));
  EXPECT_EQ(resumed["lines_lost"].toInt(), log.failedLines());
}

}  // namespace
}  // namespace mosaic::station
