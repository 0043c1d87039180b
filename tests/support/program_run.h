#pragma once
// A windowed program run as a process of its own and ended by SIGTERM once it is running, as
// the end of a session or `kill` ends it.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>

namespace mosaic::test {

// True once the process has a handler for SIGTERM, i.e. it is past its start-up.
inline bool catchesSigterm(qint64 pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
  }
  return false;
}

// Starts `program` with `arguments` in `environment` (offscreen, and settings under
// `configHome`), lets it run `runningMs` once it is past its start-up, ends it with SIGTERM and
// expects a normal end with status 0.
inline void runAndTerminate(
    const QString& program, const QStringList& arguments, const QString& configHome,
    int runningMs = 0, QProcessEnvironment environment = QProcessEnvironment::systemEnvironment()) {
  QProcess process;
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  ASSERT_TRUE(process.waitForStarted(5000));

  for (int i = 0; i < 1000 && !catchesSigterm(process.processId()); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(catchesSigterm(process.processId())) << "the program never took over SIGTERM";
  std::this_thread::sleep_for(std::chrono::milliseconds(runningMs));

  process.terminate();  // SIGTERM
  ASSERT_TRUE(process.waitForFinished(5000)) << "still running after SIGTERM";
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit)
      << "killed by the signal, shut-down skipped";
  EXPECT_EQ(process.exitCode(), 0);
}

}  // namespace mosaic::test
