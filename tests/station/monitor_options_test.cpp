// The monitor's options as a service gives them: the example file's lines are options the
// monitor takes, and what they set.

#include "tools/monitor_options.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>

namespace mosaic::tool {
namespace {

std::vector<std::string> words(const QString& line) {
  std::vector<std::string> out;
  for (const QString& w : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
    out.push_back(w.toStdString());
  return out;
}

TEST(MonitorOptions, TheServiceExampleHoldsOptionsTheMonitorTakes) {
  QFile example(QStringLiteral(MOSAIC_SOURCE_DIR "/packaging/systemd/monitor.conf"));
  ASSERT_TRUE(example.open(QIODevice::ReadOnly));
  const QRegularExpression assignment(QStringLiteral("^#?MONITOR_OPTIONS=\"([^\"]*)\"$"));
  int found = 0;
  for (const QString& line : QString::fromUtf8(example.readAll()).split(QLatin1Char('\n'))) {
    const auto match = assignment.match(line);
    if (!match.hasMatch()) continue;
    ++found;
    MonitorOptions options;
    EXPECT_EQ(parseMonitorOptions(words(match.captured(1)), options), std::nullopt)
        << line.toStdString();
  }
  EXPECT_EQ(found, 2);
}

TEST(MonitorOptions, WhatTheOptionsSet) {
  MonitorOptions o;
  ASSERT_EQ(
      parseMonitorOptions({"--udp", "7355", "--pictures", "rel/pics", "--threshold", "12.5"}, o),
      std::nullopt);
  EXPECT_EQ(o.source, MonitorOptions::Source::Udp);
  EXPECT_EQ(o.udp, (station::HostPort{"127.0.0.1", 7355})) << "this machine only, unless named";
  EXPECT_EQ(o.rateHz, 48000);
  EXPECT_TRUE(o.autoTune);
  EXPECT_EQ(o.demod.balance, 0);
  EXPECT_EQ(o.pictures, (std::filesystem::current_path() / "rel/pics").string());
  EXPECT_DOUBLE_EQ(o.thresholdDb, 12.5);
  EXPECT_DOUBLE_EQ(o.everySeconds, 10.0);

  MonitorOptions tuned;
  ASSERT_EQ(parseMonitorOptions({"--input", "r.wav", "--realtime", "--fine", "-0.4", "--rig",
                                 "hamlib:1@/dev/null,9600", "--balance", "67"},
                                tuned),
            std::nullopt);
  EXPECT_EQ(tuned.source, MonitorOptions::Source::File);
  EXPECT_FALSE(tuned.autoTune) << "a tuning given is kept";
  EXPECT_FLOAT_EQ(tuned.demod.fineHz, -0.4f);
  EXPECT_EQ(tuned.demod.balance, 67);
  EXPECT_EQ(tuned.rig, (RigAddress{1, "/dev/null", 9600}));
  EXPECT_FALSE(tuned.pictures.empty()) << "Mosaicview's folder";
}

}  // namespace
}  // namespace mosaic::tool
