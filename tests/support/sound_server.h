#pragma once
// The private test sound server (tests/run-with-sound-server.sh) from a test's side: pactl,
// devices of the test's own that come and go as a USB sound interface is plugged in and out,
// and the devices this process's own streams are on.

#include "tests/support/private_sound_loop.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

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

// The names of the sinks (playback) or sources (recording) that this process's streams are on.
inline QStringList ourStreamDevices(bool playback) {
  const QString devices = playback ? QStringLiteral("sinks") : QStringLiteral("sources");
  const QString streams =
      playback ? QStringLiteral("sink-inputs") : QStringLiteral("source-outputs");
  const QJsonArray known =
      QJsonDocument::fromJson(pactl({"-f", "json", "list", "short", devices}).toUtf8()).array();
  const QJsonArray running =
      QJsonDocument::fromJson(pactl({"-f", "json", "list", streams}).toUtf8()).array();
  const QString pid = QString::number(QCoreApplication::applicationPid());
  QStringList names;
  for (const auto& stream : running) {
    const QJsonObject s = stream.toObject();
    if (s["properties"].toObject()["application.process.id"].toString() != pid) continue;
    const int index = s[playback ? "sink" : "source"].toInt(-1);
    for (const auto& device : known)
      if (device.toObject()["index"].toInt() == index)
        names << device.toObject()["name"].toString();
  }
  return names;
}

}  // namespace mosaic::test
