#pragma once
// `mosaic monitor` run as the separate process a service runs, on a machine without a display,
// and its JSON-lines log read back.

#include <signal.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace mosaic::test {

// The environment of a service on a machine without a display: no display, no platform named.
inline QProcessEnvironment headless() {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    environment.remove(QString::fromLatin1(name));
  return environment;
}

struct MonitorLog {
  std::vector<QJsonObject> events;
  QStringList names;

  explicit MonitorLog(const QByteArray& text) {
    for (const QByteArray& line : text.split('\n')) {
      if (line.isEmpty()) continue;
      QJsonParseError error;
      events.push_back(QJsonDocument::fromJson(line, &error).object());
      EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
      names << events.back()[QStringLiteral("event")].toString();
    }
  }
  // Waits up to `seconds` for the file at `path` to hold the event `name`.
  static MonitorLog waitFor(const QString& path, const char* name, double seconds) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
      QFile file(path);
      MonitorLog log(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
      if (log.names.contains(QLatin1String(name)) || timer.elapsed() > seconds * 1000) return log;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  // The values of `field` in the events `name`, as text.
  QStringList all(const char* name, const char* field) const {
    QStringList values;
    for (const auto& e : events)
      if (e[QStringLiteral("event")].toString() == QLatin1String(name))
        values << e[QLatin1String(field)].toVariant().toString();
    return values;
  }
  std::string text() const { return names.join(' ').toStdString(); }
};

class MonitorRun {
 public:
  MonitorRun(const QString& tool, const QStringList& args) {
    process.setProcessEnvironment(headless());
    process.start(tool, QStringList{QStringLiteral("monitor")} + args);
    EXPECT_TRUE(process.waitForStarted());
  }
  ~MonitorRun() {
    process.kill();
    process.waitForFinished();
  }
  // Sends `signal` and waits for the end: the exit status, -1 for a crash or a time-out.
  int stop(int signal) {
    ::kill(static_cast<pid_t>(process.processId()), signal);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) return -1;
    return process.exitCode();
  }
  QProcess process;
};

}  // namespace mosaic::test
