#pragma once
// A loop of its own on the test suite's private sound server, for tests that must hear only
// their own sound even while other suites play at the same time.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace mosaic::test {

// Runs pactl on the test server; its standard output, or nothing on failure.
inline QString pactl(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("pactl"), args);
  if (!p.waitForFinished(5000) || p.exitCode() != 0) return {};
  return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// A sink of its own at 9600 Hz, mono, 16-bit, with its monitor as a source: what is played
// there reaches every recorder sample for sample, with no resampling between them.
struct PrivateLoop {
  const QString sink = QStringLiteral("rxloop%1").arg(QCoreApplication::applicationPid());
  const QString source = sink + QStringLiteral("in");
  QString sinkModule, sourceModule;

  PrivateLoop() {
    sinkModule = pactl({"load-module", "module-null-sink", "sink_name=" + sink, "rate=9600",
                        "channels=1", "format=s16le"});
    sourceModule = pactl({"load-module", "module-remap-source", "master=" + sink + ".monitor",
                          "source_name=" + source});
  }
  ~PrivateLoop() {
    if (!sourceModule.isEmpty()) pactl({"unload-module", sourceModule});
    if (!sinkModule.isEmpty()) pactl({"unload-module", sinkModule});
  }
  bool loaded() const { return !sinkModule.isEmpty() && !sourceModule.isEmpty(); }
};

// Writes `samples` as raw 16-bit samples, as pacat plays them.
inline bool writeRaw(const QString& path, const std::vector<std::int16_t>& samples) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  const auto bytes = static_cast<qint64>(samples.size() * 2);
  return f.write(reinterpret_cast<const char*>(samples.data()), bytes) == bytes;
}

}  // namespace mosaic::test
