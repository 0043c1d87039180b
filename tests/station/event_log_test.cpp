// The station's JSON-lines log in a real file: whole lines from many threads at once, each with
// the time and the radio's dial, and a disk that fills up and frees again.

#include "station/event_log.h"

#include "tests/support/small_disk.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

namespace mosaic::station {
namespace {

QList<QByteArray> readLines(const std::string& path) {
  QFile file(QString::fromStdString(path));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  QList<QByteArray> lines = file.readAll().split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
  return lines;
}

QJsonObject parsed(const QByteArray& line) {
  QJsonParseError error;
  const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
  EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
  return object;
}

TEST(EventLog, ManyThreadsWriteWholeLinesEachWithTheTimeAndTheDial) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "mosaic-log-test.jsonl").string();
  std::filesystem::remove(path);
  {
    EventLog log;
    std::string error;
    ASSERT_TRUE(log.open(path, error)) << error;
    log.setDialSource([] { return std::optional<DialReading>(DialReading{14230000.0, "USB"}); });
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
      writers.emplace_back([&log] {
        for (int i = 0; i < 200; ++i)
          log.write("picture_saved", JsonLine().text("path", std::string(300, 'x')));
      });
    }
    for (auto& w : writers) w.join();
  }
  const auto lines = readLines(path);
  ASSERT_EQ(lines.size(), 800);
  const QRegularExpression utc(
      QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$"));
  for (const QByteArray& line : lines) {
    const QJsonObject o = parsed(line);
    ASSERT_TRUE(utc.match(o["time"].toString()).hasMatch()) << o["time"].toString().toStdString();
    ASSERT_EQ(o["path"].toString().size(), 300);
    ASSERT_EQ(o["dial_hz"].toDouble(), 14230000.0);
    ASSERT_EQ(o["mode"].toString(), QStringLiteral("USB"));
  }
  std::filesystem::remove(path);
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
  const auto lines = readLines(disk.file("log.jsonl"));
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(parsed(lines.front())["event"].toString(), QStringLiteral("started"));
  // A line cut short by the full disk stands alone; the lines after it are whole.
  EXPECT_EQ(parsed(lines[lines.size() - 2])["event"].toString(), QStringLiteral("stopped"));
  EXPECT_EQ(parsed(lines.back())["event"].toString(), QStringLiteral("log_resumed"));
  EXPECT_EQ(parsed(lines.back())["lines_lost"].toInt(), log.failedLines());
}

}  // namespace
}  // namespace mosaic::station
