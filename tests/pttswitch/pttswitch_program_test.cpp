// The program itself: ended by a signal, it must run its own shut-down (which unkeys the radio)
// rather than die; and it remembers the port typed into its box, in the user's config folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>

namespace {

// True once the process has a handler for SIGTERM, i.e. it is past its start-up.
bool catchesSigterm(qint64 pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
  }
  return false;
}

// Starts the program with `arguments` and settings under `configHome`, ends it with SIGTERM
// once it is running, and expects a normal end.
void runAndTerminate(const QStringList& arguments, const QString& configHome) {
  QProcess program;
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(PTTSWITCH_BINARY), arguments);
  ASSERT_TRUE(program.waitForStarted(5000));

  for (int i = 0; i < 1000 && !catchesSigterm(program.processId()); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(catchesSigterm(program.processId())) << "the program never took over SIGTERM";

  program.terminate();  // SIGTERM
  ASSERT_TRUE(program.waitForFinished(5000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit)
      << "killed by the signal, shut-down skipped";
  EXPECT_EQ(program.exitCode(), 0);
}

TEST(PttswitchProgram, EndsNormallyOnSigterm) {
  QTemporaryDir configHome;
  runAndTerminate({}, configHome.path());
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
  runAndTerminate({QStringLiteral("--defaults")}, configHome.path());
  EXPECT_EQ(rememberedPort(), QStringLiteral("rigctld:localhost:4532"));

  // A normal run shows it in the box, from where it is remembered again at the end.
  writeFile("[General]\nport=/dev/ttyUSB3\n");
  runAndTerminate({}, configHome.path());
  EXPECT_EQ(rememberedPort(), QStringLiteral("/dev/ttyUSB3"));
}

}  // namespace
