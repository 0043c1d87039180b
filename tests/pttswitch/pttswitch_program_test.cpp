// The program itself: ended by a signal, it must run its own shut-down (which unkeys the radio)
// rather than die.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
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

TEST(PttswitchProgram, EndsNormallyOnSigterm) {
  QProcess program;
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(PTTSWITCH_BINARY), {});
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

}  // namespace
