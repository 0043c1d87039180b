// The monitor's options as its service gives them: the example file's lines are options the
// monitor takes, and the defaults a service relies on.

#include "tools/monitor_options.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>

namespace mosaic::tool {
namespace {

TEST(MonitorOptions, TheServiceExampleHoldsOptionsTheMonitorTakes) {
  QFile example(QStringLiteral(MOSAIC_SOURCE_DIR "/packaging/systemd/monitor.conf"));
  ASSERT_TRUE(example.open(QIODevice::ReadOnly));
  const QRegularExpression assignment(QStringLiteral("^#?MONITOR_OPTIONS=\"([^\"]*)\"$"),
                                      QRegularExpression::MultilineOption);
  const QString text = QString::fromUtf8(example.readAll());
  int found = 0;
  for (auto m = assignment.globalMatch(text); m.hasNext(); ++found) {
    std::vector<std::string> words;
    for (const QString& w : m.next().captured(1).split(' ', Qt::SkipEmptyParts))
      words.push_back(w.toStdString());
    MonitorOptions options;
    EXPECT_EQ(parseMonitorOptions(words, options), std::nullopt) << found;
  }
  EXPECT_EQ(found, text.count(QStringLiteral("MONITOR_OPTIONS="))) << "each example read";

  // A service runs in the home folder; a port alone listens on this machine only.
  MonitorOptions o;
  ASSERT_EQ(parseMonitorOptions({"--udp", "7355", "--pictures", "pics"}, o), std::nullopt);
  EXPECT_EQ(o.udp, (station::HostPort{"127.0.0.1", 7355}));
  EXPECT_EQ(o.pictures, (std::filesystem::current_path() / "pics").string());
  EXPECT_TRUE(o.autoTune);
  EXPECT_EQ(o.demod.balance, 0) << "true colours";
  ASSERT_EQ(parseMonitorOptions({"--udp", "7355", "--fine", "-0.4"}, o), std::nullopt);
  EXPECT_FALSE(o.autoTune) << "a tuning given is kept";

  // No source: the default sound input; the page, like the network sound, on this machine only.
  MonitorOptions d;
  ASSERT_EQ(parseMonitorOptions({"--web", "8080"}, d), std::nullopt);
  EXPECT_EQ(d.source, MonitorOptions::Source::Device);
  EXPECT_EQ(d.device, "");
  EXPECT_EQ(d.web, (station::HostPort{"127.0.0.1", 8080}));
}

}  // namespace
}  // namespace mosaic::tool
