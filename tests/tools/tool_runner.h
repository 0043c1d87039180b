#pragma once
// Runs the built mosaic tool in a test and collects what it said.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace mosaic::test {

struct ToolRun {
  int exitCode = -1;
  QString standardError;
  QString standardOutput;
};

inline ToolRun runTool(const QStringList& args, int timeoutMs = 120000) {
  QProcess p;
  p.start(QStringLiteral(MOSAIC_TOOL_PATH), args);
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

}  // namespace mosaic::test
