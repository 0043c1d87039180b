#include "platform/remembered_values.h"

#include <QCoreApplication>
#include <QVariant>

#include <cstdio>

namespace mosaic {

void nameProgramForSettings(const char* program) {
  QCoreApplication::setOrganizationName(QStringLiteral("mosaictv"));
  QCoreApplication::setApplicationName(QString::fromLatin1(program));
}

void finishWriting(QSettings& settings) {
  settings.sync();
  if (settings.status() != QSettings::NoError) {
    std::fprintf(stderr, "%s: cannot save the settings to %s\n",
                 qPrintable(QCoreApplication::applicationName()), qPrintable(settings.fileName()));
  }
}

std::optional<int> readInt(const QSettings& settings, const QString& key, int minimum,
                           int maximum) {
  const QVariant value = settings.value(key);
  bool ok = false;
  qlonglong number = 0;
  switch (value.typeId()) {
    case QMetaType::QString:
      number = value.toString().toLongLong(&ok);
      break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
      number = value.toLongLong(&ok);
      break;
    default:
      return std::nullopt;
  }
  if (!ok || number < minimum || number > maximum) return std::nullopt;
  return static_cast<int>(number);
}

std::optional<bool> readBool(const QSettings& settings, const QString& key) {
  const QVariant value = settings.value(key);
  if (value.typeId() == QMetaType::Bool) return value.toBool();
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  const QString word = value.toString();
  if (word == QLatin1String("true")) return true;
  if (word == QLatin1String("false")) return false;
  return std::nullopt;
}

std::optional<QString> readText(const QSettings& settings, const QString& key, int maxLength) {
  const QVariant value = settings.value(key);
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  QString text = value.toString();
  if (text.size() > maxLength || text.contains(QLatin1Char('\n'))) return std::nullopt;
  return text;
}

std::optional<int> readChoice(const QSettings& settings, const QString& key,
                              std::span<const char* const> words) {
  const auto word = readText(settings, key);
  if (!word) return std::nullopt;
  for (std::size_t i = 0; i < words.size(); ++i)
    if (*word == QLatin1String(words[i])) return static_cast<int>(i);
  return std::nullopt;
}

namespace {
const QString kSoundDeviceKey = QStringLiteral("sound/device");
const QString kSoundDescriptionKey = QStringLiteral("sound/deviceDescription");
constexpr int kLongestDeviceText = 1024;
}  // namespace

std::optional<SoundDeviceName> readSoundDevice(const QSettings& settings) {
  const auto id = readText(settings, kSoundDeviceKey, kLongestDeviceText);
  if (!id || id->trimmed().isEmpty()) return std::nullopt;
  const auto description = readText(settings, kSoundDescriptionKey, kLongestDeviceText);
  return SoundDeviceName{id->toStdString(), description ? description->toStdString() : ""};
}

void writeSoundDevice(QSettings& settings, const std::optional<SoundDeviceName>& device) {
  if (!device || device->id.empty()) {
    settings.remove(kSoundDeviceKey);
    settings.remove(kSoundDescriptionKey);
    return;
  }
  settings.setValue(kSoundDeviceKey, QString::fromStdString(device->id));
  settings.setValue(kSoundDescriptionKey, QString::fromStdString(device->description));
}

}  // namespace mosaic
