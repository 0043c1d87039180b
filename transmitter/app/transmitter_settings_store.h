#pragma once
// What the transmitter remembers from one run to the next: the last video file and the frame it
// showed, whether the camera was the source, the crawl switch, the camera with its frame size,
// and the chosen sound output. Reading checks every value on its own; whatever is missing or
// unusable stays unset, and the window keeps its start value for it.

#include "media/camera_source.h"
#include "platform/sound_device_choice.h"

#include <QSettings>
#include <QString>

#include <optional>
#include <string>

namespace mosaic {

struct TransmitterSettings {
  std::optional<QString> videoFile;  // an existing file
  std::optional<int> position;       // the frame shown in it
  std::optional<bool> cameraMode;    // the camera rather than the file was the source
  std::optional<bool> crawlOn;
  std::optional<std::string> cameraDevice;
  std::optional<FrameSize> cameraFormat;       // both sides set
  std::optional<SoundDeviceName> soundDevice;  // the chosen output; nothing: the default
};

TransmitterSettings readTransmitterSettings(const QSettings& settings);
// Writes every value that is set and removes the others.
void writeTransmitterSettings(QSettings& settings, const TransmitterSettings& values);

// The user's own settings (after nameProgramForSettings).
TransmitterSettings loadUserTransmitterSettings();
void saveUserTransmitterSettings(const TransmitterSettings& values);

}  // namespace mosaic
