#include "receiver/app/receiver_settings_store.h"

#include "platform/remembered_values.h"
#include "receiver/app/control_ids.h"
#include "receiver/app/slider_settings.h"
#include "receiver/pictures/saved_pictures.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <utility>

namespace mosaic {

using namespace rx;

namespace {

const std::array<std::pair<int, const char*>, 6> kSliderKeys = {{
    {kCoarseTuneId, "sliders/coarseTune"},
    {kFineTuneId, "sliders/fineTune"},
    {kBrightnessId, "sliders/brightness"},
    {kContrastId, "sliders/contrast"},
    {kBalanceId, "sliders/colourBalance"},
    {kSaturationId, "sliders/saturation"},
}};

const std::array<std::pair<int, const char*>, 4> kCheckBoxKeys = {{
    {kHalfPixelId, "picture/halfPixel"},
    {kNoiseFilterId, "picture/noiseFilter"},
    {kHorizontalFilterId, "picture/filterHorizontal"},
    {kVerticalInterpolationId, "picture/interpolateVertical"},
}};

const char* const kStrengthKey = "picture/noiseFilterStrength";
constexpr std::array<const char*, 3> kStrengthWords = {"light", "medium", "heavy"};
constexpr std::array<NoiseWeights, 3> kStrengths = {kLightNoiseFilter, kMediumNoiseFilter,
                                                    kHeavyNoiseFilter};
const char* const kScreenKey = "picture/screenSize";
constexpr std::array<const char*, 2> kScreenWords = {"small", "large"};
const char* const kMovieFolderKey = "recorder/movieFolder";
const char* const kAutoTuneKey = "tuning/autoTune";
const char* const kTuningDisplayKey = "tuning/displayShown";
const char* const kAlignedViewKey = "picture/alignedView";
const char* const kAutoSaveKey = "pictures/autoSave";
const char* const kAutoSaveEveryFrameKey = "pictures/autoSaveEveryFrame";
const char* const kPictureFolderKey = "pictures/folder";
const char* const kAutoSaveSnrKey = "pictures/autoSaveSnrDb";
const char* const kCombiningKey = "picture/combineFrames";
const char* const kCombinedFramesKey = "picture/combinedFrames";

void writeOptional(QSettings& settings, const char* name, const std::optional<bool>& value) {
  if (value)
    settings.setValue(QString::fromLatin1(name), *value);
  else
    settings.remove(QString::fromLatin1(name));
}

int sliderMaximum(int id) {
  for (const auto& s : kSliderLayouts)
    if (s.id == id) return s.maximum;
  return 0;
}

QString key(const char* name) { return QString::fromLatin1(name); }

}  // namespace

ReceiverSettings readReceiverSettings(const QSettings& settings) {
  ReceiverSettings values;
  for (const auto& [id, name] : kSliderKeys) {
    if (const auto position = readInt(settings, key(name), 0, sliderMaximum(id)))
      values.sliderPositions[id] = *position;
  }
  for (const auto& [id, name] : kCheckBoxKeys) {
    if (const auto checked = readBool(settings, key(name))) values.checkBoxes[id] = *checked;
  }
  if (const auto strength = readChoice(settings, key(kStrengthKey), kStrengthWords))
    values.noiseStrength = kStrengths[static_cast<std::size_t>(*strength)];
  if (const auto screen = readChoice(settings, key(kScreenKey), kScreenWords))
    values.screenSize = *screen == 0 ? ScreenSize::Small : ScreenSize::Large;
  if (const auto folder = readText(settings, key(kMovieFolderKey))) {
    if (!folder->isEmpty() && QFileInfo(*folder).isDir()) values.movieFolder = *folder;
  }
  values.autoTune = readBool(settings, key(kAutoTuneKey));
  values.tuningDisplayShown = readBool(settings, key(kTuningDisplayKey));
  values.alignedView = readBool(settings, key(kAlignedViewKey));
  values.autoSave = readBool(settings, key(kAutoSaveKey));
  values.autoSaveEveryFrame = readBool(settings, key(kAutoSaveEveryFrameKey));
  if (const auto folder = readText(settings, key(kPictureFolderKey))) {
    const QFileInfo info(*folder);
    if (!folder->isEmpty() && QDir::isAbsolutePath(*folder) && (!info.exists() || info.isDir()))
      values.pictureFolder = QDir::cleanPath(*folder);
  }
  values.autoSaveSnrDb =
      readInt(settings, key(kAutoSaveSnrKey), kLowestAutoSaveSnrDb, kHighestAutoSaveSnrDb);
  values.soundDevice = readSoundDevice(settings);
  values.combining = readBool(settings, key(kCombiningKey));
  values.combinedFrames =
      readInt(settings, key(kCombinedFramesKey), kMinCombinedFrames, kMaxCombinedFrames);
  return values;
}

void writeReceiverSettings(QSettings& settings, const ReceiverSettings& values) {
  for (const auto& [id, name] : kSliderKeys) {
    const auto found = values.sliderPositions.find(id);
    if (found == values.sliderPositions.end())
      settings.remove(key(name));
    else
      settings.setValue(key(name), found->second);
  }
  for (const auto& [id, name] : kCheckBoxKeys) {
    const auto found = values.checkBoxes.find(id);
    if (found == values.checkBoxes.end())
      settings.remove(key(name));
    else
      settings.setValue(key(name), found->second);
  }
  settings.remove(key(kStrengthKey));
  for (std::size_t i = 0; i < kStrengths.size(); ++i) {
    if (values.noiseStrength == kStrengths[i])
      settings.setValue(key(kStrengthKey), key(kStrengthWords[i]));
  }
  if (values.screenSize)
    settings.setValue(key(kScreenKey),
                      key(kScreenWords[*values.screenSize == ScreenSize::Small ? 0 : 1]));
  else
    settings.remove(key(kScreenKey));
  if (values.movieFolder)
    settings.setValue(key(kMovieFolderKey), *values.movieFolder);
  else
    settings.remove(key(kMovieFolderKey));
  writeOptional(settings, kAutoTuneKey, values.autoTune);
  writeOptional(settings, kTuningDisplayKey, values.tuningDisplayShown);
  writeOptional(settings, kAlignedViewKey, values.alignedView);
  writeOptional(settings, kAutoSaveKey, values.autoSave);
  writeOptional(settings, kAutoSaveEveryFrameKey, values.autoSaveEveryFrame);
  if (values.pictureFolder)
    settings.setValue(key(kPictureFolderKey), *values.pictureFolder);
  else
    settings.remove(key(kPictureFolderKey));
  if (values.autoSaveSnrDb)
    settings.setValue(key(kAutoSaveSnrKey), *values.autoSaveSnrDb);
  else
    settings.remove(key(kAutoSaveSnrKey));
  writeSoundDevice(settings, values.soundDevice);
  writeOptional(settings, kCombiningKey, values.combining);
  if (values.combinedFrames)
    settings.setValue(key(kCombinedFramesKey), *values.combinedFrames);
  else
    settings.remove(key(kCombinedFramesKey));
}

ReceiverSettings loadUserReceiverSettings() { return readReceiverSettings(QSettings()); }

void saveUserReceiverSettings(const ReceiverSettings& values) {
  QSettings settings;
  writeReceiverSettings(settings, values);
  finishWriting(settings);
}

}  // namespace mosaic
