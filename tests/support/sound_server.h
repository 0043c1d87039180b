#pragma once
// The private test sound server (tests/run-with-sound-server.sh) from a test's side: pactl,
// devices of the test's own that come and go as a USB sound interface is plugged in and out,
// and the devices this process's own streams are on.

#include "tests/support/event_loop.h"
#include "tests/support/private_sound_loop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace mosaic::test {

inline bool soundServerRunning() { return std::getenv("MOSAIC_SOUND_SERVER") != nullptr; }

// A null sink (for playback) or null source (for recording) of the test's own, named after the
// test process, that the test plugs in and unplugs; unplugged when the object ends. The
// description is one word.
class PluggableDevice {
 public:
  PluggableDevice(bool sink, const QString& stem, const QString& description)
      : sink_(sink),
        name_(stem + QString::number(QCoreApplication::applicationPid())),
        description_(description) {}
  ~PluggableDevice() { unplug(); }
  PluggableDevice(const PluggableDevice&) = delete;
  PluggableDevice& operator=(const PluggableDevice&) = delete;

  const QString& name() const { return name_; }
  bool plugIn() {
    // The two modules take the description in different arguments.
    module_ = sink_ ? pactl({"load-module", "module-null-sink", "sink_name=" + name_,
                             "sink_properties=device.description=" + description_})
                    : pactl({"load-module", "module-null-source", "source_name=" + name_,
                             "description=" + description_});
    return !module_.isEmpty();
  }
  void unplug() {
    if (!module_.isEmpty()) pactl({"unload-module", module_});
    module_.clear();
  }

 private:
  bool sink_;
  QString name_, description_, module_;
};

// Records what is played to a sink, from its monitor, for as long as the object lives. One
// recording from start to end, asking for short blocks: a sink that holds seconds of sound
// (as the transmitter's stream asks) otherwise feeds its monitor in bursts seconds apart, and a
// recorder started anew for each short look misses them and hears nothing of what was played.
class SinkListener {
 public:
  explicit SinkListener(const QString& sink) {
    record_.start(QStringLiteral("pacat"),
                  {"-r", "--raw", "--format=s16le", "--channels=1", "--rate=48000",
                   "--latency-msec=20", "-d", sink + ".monitor"});
    record_.waitForStarted();
  }
  ~SinkListener() {
    record_.kill();
    record_.waitForFinished();
  }
  SinkListener(const SinkListener&) = delete;
  SinkListener& operator=(const SinkListener&) = delete;

  // The loudest sample heard so far (-1: the recorder did not start).
  int peak() {
    if (record_.state() == QProcess::NotRunning && heard_.isEmpty()) return -1;
    heard_ += record_.readAllStandardOutput();
    for (; checked_ + 1 < heard_.size(); checked_ += 2) {
      const auto s =
          static_cast<std::int16_t>(static_cast<std::uint8_t>(heard_[checked_]) |
                                    (static_cast<std::uint8_t>(heard_[checked_ + 1]) << 8));
      peak_ = std::max(peak_, std::abs(static_cast<int>(s)));
    }
    return peak_;
  }
  // Seconds of sound recorded so far.
  double seconds() const { return static_cast<double>(heard_.size()) / (2 * 48000); }

 private:
  QProcess record_;
  QByteArray heard_;
  qsizetype checked_ = 0;
  int peak_ = 0;
};

// The names of the sinks (playback) or sources (recording) that the streams of the process `pid`
// are on.
inline QStringList streamDevicesOf(qint64 pid, bool playback) {
  const QString devices = playback ? QStringLiteral("sinks") : QStringLiteral("sources");
  const QString streams =
      playback ? QStringLiteral("sink-inputs") : QStringLiteral("source-outputs");
  const QJsonArray known =
      QJsonDocument::fromJson(pactl({"-f", "json", "list", "short", devices}).toUtf8()).array();
  const QJsonArray running =
      QJsonDocument::fromJson(pactl({"-f", "json", "list", streams}).toUtf8()).array();
  QStringList names;
  for (const auto& stream : running) {
    const QJsonObject s = stream.toObject();
    if (s["properties"].toObject()["application.process.id"].toString() != QString::number(pid))
      continue;
    const int index = s[playback ? "sink" : "source"].toInt(-1);
    for (const auto& device : known)
      if (device.toObject()["index"].toInt() == index)
        names << device.toObject()["name"].toString();
  }
  return names;
}

// The same for this process's own streams.
inline QStringList ourStreamDevices(bool playback) {
  return streamDevicesOf(QCoreApplication::applicationPid(), playback);
}

// Runs the event loop until this process's streams are on `device` alone (a sink when
// `playback`, else a source), and says how long that took; false after `timeoutMs`.
inline bool waitUntilOurStreamIsOn(bool playback, const QString& device, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  if (!runUntil([&] { return ourStreamDevices(playback) == QStringList{device}; }, timeoutMs))
    return false;
  std::printf("on %s after %.1f s\n", qPrintable(device), clock.elapsed() / 1000.0);
  return true;
}

}  // namespace mosaic::test
