#include "transmitter/app/transmitter_settings_store.h"

#include "platform/remembered_values.h"

#include <QFileInfo>

#include <array>
#include <limits>

namespace mosaic {

namespace {

const QString kFileKey = QStringLiteral("video/file");
const QString kPositionKey = QStringLiteral("video/position");
const QString kSourceKey = QStringLiteral("video/source");
const QString kCrawlKey = QStringLiteral("crawl/on");
const QString kDeviceKey = QStringLiteral("camera/device");
const QString kWidthKey = QStringLiteral("camera/width");
const QString kHeightKey = QStringLiteral("camera/height");
constexpr std::array<const char*, 2> kSourceWords = {"file", "camera"};
constexpr int kLargestFrameSide = 16384;  // [px]

template <typename T, typename ToVariant>
void writeOrRemove(QSettings& settings, const QString& key, const std::optional<T>& value,
                   ToVariant toVariant) {
  if (value)
    settings.setValue(key, toVariant(*value));
  else
    settings.remove(key);
}

}  // namespace

TransmitterSettings readTransmitterSettings(const QSettings& settings) {
  TransmitterSettings values;
  if (const auto file = readText(settings, kFileKey)) {
    if (!file->isEmpty() && QFileInfo(*file).isFile()) values.videoFile = *file;
  }
  values.position = readInt(settings, kPositionKey, 0, std::numeric_limits<int>::max());
  if (const auto source = readChoice(settings, kSourceKey, kSourceWords))
    values.cameraMode = *source == 1;
  values.crawlOn = readBool(settings, kCrawlKey);
  if (const auto device = readText(settings, kDeviceKey, 1024); device && !device->isEmpty())
    values.cameraDevice = device->toStdString();
  const auto width = readInt(settings, kWidthKey, 1, kLargestFrameSide);
  const auto height = readInt(settings, kHeightKey, 1, kLargestFrameSide);
  if (width && height) values.cameraFormat = FrameSize{*width, *height};
  values.soundDevice = readSoundDevice(settings);
  return values;
}

void writeTransmitterSettings(QSettings& settings, const TransmitterSettings& values) {
  const auto same = [](const auto& v) { return QVariant::fromValue(v); };
  writeOrRemove(settings, kFileKey, values.videoFile, same);
  writeOrRemove(settings, kPositionKey, values.position, same);
  writeOrRemove(settings, kSourceKey, values.cameraMode,
                [](bool camera) { return QString::fromLatin1(kSourceWords[camera ? 1 : 0]); });
  writeOrRemove(settings, kCrawlKey, values.crawlOn, same);
  writeOrRemove(settings, kDeviceKey, values.cameraDevice,
                [](const std::string& d) { return QString::fromStdString(d); });
  writeOrRemove(settings, kWidthKey, values.cameraFormat, [](FrameSize f) { return f.width; });
  writeOrRemove(settings, kHeightKey, values.cameraFormat, [](FrameSize f) { return f.height; });
  writeSoundDevice(settings, values.soundDevice);
}

TransmitterSettings loadUserTransmitterSettings() { return readTransmitterSettings(QSettings()); }

void saveUserTransmitterSettings(const TransmitterSettings& values) {
  QSettings settings;
  writeTransmitterSettings(settings, values);
  finishWriting(settings);
}

}  // namespace mosaic
