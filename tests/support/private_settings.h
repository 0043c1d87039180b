#pragma once
// A private settings folder for as long as the object lives: the program's remembered settings
// go to a fresh temporary folder, so that tests never read or change the developer's own.

#include "platform/remembered_values.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

namespace mosaic::test {

class PrivateSettings {
 public:
  explicit PrivateSettings(const char* program) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    nameProgramForSettings(program);
  }

  // Where the program keeps its settings now.
  QString filePath() const { return QSettings().fileName(); }

  // The settings file as a user's editor or a damaged disk may have left it.
  void writeFile(const QByteArray& text) const {
    QDir().mkpath(QFileInfo(filePath()).absolutePath());
    QFile file(filePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(text);
  }
  QByteArray fileText() const {
    QFile file(filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QString folder() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

}  // namespace mosaic::test
