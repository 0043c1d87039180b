// The program itself: ended by a signal, it must run its own shut-down (which unkeys the radio)
// rather than die; and it remembers the port typed into its box, in the user's config folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "tests/support/program_run.h"

namespace {

using mosaic::test::runAndTerminate;

TEST(PttswitchProgram, EndsNormallyOnSigterm) {
  QTemporaryDir configHome;
  runAndTerminate(PTTSWITCH_BINARY, {}, configHome.path());
}

TEST(PttswitchProgram, KeepsThePortInItsBoxFromRunToRunButNotFromADefaultsRun) {
  QTemporaryDir configHome;
  const QString file = configHome.path() + QStringLiteral("/mosaictv/pttswitch.conf");
  const auto writeFile = [&file](const QByteArray& text) {
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text);
  };
  const auto rememberedPort = [&file] {
    return QSettings(file, QSettings::IniFormat).value(QStringLiteral("port")).toString();
  };
  ASSERT_TRUE(QDir().mkpath(configHome.path() + QStringLiteral("/mosaictv")));

  // A run from the defaults shows "1" and leaves the remembered port alone.
  writeFile("[General]\nport=rigctld:localhost:4532\n");
  runAndTerminate(PTTSWITCH_BINARY, {QStringLiteral("--defaults")}, configHome.path());
  EXPECT_EQ(rememberedPort(), QStringLiteral("rigctld:localhost:4532"));

  // A normal run shows it in the box, from where it is remembered again at the end.
  writeFile("[General]\nport=/dev/ttyUSB3\n");
  runAndTerminate(PTTSWITCH_BINARY, {}, configHome.path());
  EXPECT_EQ(rememberedPort(), QStringLiteral("/dev/ttyUSB3"));
}

}  // namespace
