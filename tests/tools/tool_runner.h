#pragma once
// Runs the built mosaic tool (or another of the built programs) in a test and collects what it
// said.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace mosaic::test {

struct ToolRun {
  int exitCode = -1;  // -1 when it did not end normally (a crash, a signal, a time-out)
  QString standardError;
  QString standardOutput;
};

inline ToolRun runProgram(const QString& program, const QStringList& args,
                          const std::optional<QProcessEnvironment>& environment = std::nullopt,
                          int timeoutMs = 120000) {
  QProcess p;
  if (environment) p.setProcessEnvironment(*environment);
  p.start(program, args);
  ToolRun run;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    run.standardError = QStringLiteral("timed out");
    return run;
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.standardError = QString::fromLocal8Bit(p.readAllStandardError());
  run.standardOutput = QString::fromLocal8Bit(p.readAllStandardOutput());
  return run;
}

inline ToolRun runTool(const QStringList& args, int timeoutMs = 120000) {
  return runProgram(QStringLiteral(MOSAIC_TOOL_PATH), args, std::nullopt, timeoutMs);
}

}  // namespace mosaic::test
