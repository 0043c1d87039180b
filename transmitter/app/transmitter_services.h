#pragma once
// What the transmitter window uses of the world outside it: the sound output, the makers of its
// picture sources, its dialogs and the mixer. The program passes the real ones; tests pass
// fakes.

#include "devices/audio_output.h"
#include "media/camera_source.h"
#include "media/video_file_source.h"
#include "platform/sound_device_dialog.h"
#include "transmitter/app/transmitter_settings_store.h"
#include "transmitter/core/crawl_text.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace mosaic {

struct TransmitterServices {
  AudioOutput* audio = nullptr;
  std::function<std::unique_ptr<VideoFileSource>()> makeVideoFile;
  std::function<std::unique_ptr<CameraSource>()> makeCamera;
  std::function<std::optional<QString>(QWidget*)> chooseFile;
  // Tells the operator that `file` cannot be shown, and why.
  std::function<void(QWidget*, const QString& file, const QString& reason)> reportOpenFailure;
  std::function<void()> startMixer;
  std::function<std::optional<std::string>(QWidget*, const std::vector<std::string>&,
                                           const std::string&)>
      chooseDevice;
  std::function<std::optional<FrameSize>(QWidget*, const std::vector<FrameSize>&, FrameSize)>
      chooseFrameSize;
  // The sound devices listed now, and the dialog in which the operator chooses the one to use
  // (nothing when cancelled). Without them the default device is used.
  std::function<std::vector<SoundDeviceName>()> listSoundDevices;
  std::function<std::optional<SoundDeviceSettings>(QWidget*, const SoundDeviceSettings&)>
      chooseSoundDevice;
  std::string crawlTextPath = kCrawlTextFileName;
  // The settings remembered from the last run, shown at initialisation, and those to remember,
  // written when the window ends. Without them the window starts from its defaults and keeps
  // nothing.
  std::function<TransmitterSettings()> loadSettings;
  std::function<void(const TransmitterSettings&)> saveSettings;
};

// The program's own: FFmpeg files and cameras, Qt dialogs, the system mixer and the user's
// settings; with `rememberSettings` false the run neither reads nor writes them.
TransmitterServices programServices(AudioOutput& audio, bool rememberSettings = true);

}  // namespace mosaic
