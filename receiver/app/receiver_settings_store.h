#pragma once
// What the receiver remembers from one run to the next: the positions of its sliders, its check
// boxes, the noise filter's strength, the screen size, the folder of the last movie file, and
// whether the tuning follows the signal and its display is shown; the aligned view, auto-save,
// its threshold, the pictures folder and the chosen sound input; whether frames are combined and
// over how many.
// Reading checks every value on its own; whatever is missing or unusable stays unset, and the
// window keeps its start value for it.

#include "platform/sound_device_choice.h"
#include "receiver/core/combining/combining_settings.h"
#include "receiver/core/picture/display_settings.h"

#include <QSettings>
#include <QString>

#include <map>
#include <optional>

namespace mosaic {

struct ReceiverSettings {
  std::map<int, int> sliderPositions;  // by slider id, within the slider's range
  std::map<int, bool> checkBoxes;      // by check-box id: checked or not
  std::optional<NoiseWeights> noiseStrength;
  std::optional<ScreenSize> screenSize;
  std::optional<QString> movieFolder;  // an existing folder
  std::optional<bool> autoTune;        // the tuning follows the signal's estimate
  std::optional<bool> tuningDisplayShown;
  std::optional<bool> alignedView;         // the frame as it was sent, beside the controls
  std::optional<bool> autoSave;            // good received pictures saved as they come
  std::optional<bool> autoSaveEveryFrame;  // every good frame saved, not each picture once
  // The folder of saved pictures, when the user chose one: a full path that is not a file (it
  // may be missing for now, such as on a drive not plugged in; saving says so then).
  std::optional<QString> pictureFolder;
  std::optional<int> autoSaveSnrDb;            // [dB] kLowestAutoSaveSnrDb..kHighestAutoSaveSnrDb
  std::optional<SoundDeviceName> soundDevice;  // the chosen input; nothing: the default
  std::optional<bool> combining;               // the repeated frames of a still picture
  std::optional<int> combinedFrames;           // kMinCombinedFrames..kMaxCombinedFrames
};

ReceiverSettings readReceiverSettings(const QSettings& settings);
// Writes every value that is set; the others are removed, so that an old value never outlives
// the control it belonged to.
void writeReceiverSettings(QSettings& settings, const ReceiverSettings& values);

// The user's own settings (after nameProgramForSettings).
ReceiverSettings loadUserReceiverSettings();
void saveUserReceiverSettings(const ReceiverSettings& values);

}  // namespace mosaic
