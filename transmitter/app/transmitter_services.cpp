#include "transmitter/app/transmitter_services.h"

#include "media/ffmpeg_camera.h"
#include "media/ffmpeg_video_file.h"
#include "platform/mixer_launcher.h"
#include "platform/sound_server_probe.h"
#include "signal/timing.h"
#include "transmitter/app/camera_dialogs.h"
#include "transmitter/app/open_video_dialog.h"
#include "transmitter/app/threaded_video_file.h"

#include <QMessageBox>

namespace mosaic {

TransmitterServices programServices(AudioOutput& audio, bool rememberSettings) {
  TransmitterServices s;
  s.audio = &audio;
  s.makeVideoFile = [] {
    return std::make_unique<ThreadedVideoFile>(std::make_unique<FfmpegVideoFile>());
  };
  s.makeCamera = [] { return std::make_unique<FfmpegCamera>(); };
  s.chooseFile = chooseVideoFile;
  s.reportOpenFailure = [](QWidget* parent, const QString& file, const QString& reason) {
    QMessageBox::warning(parent, QStringLiteral("Open AVI (no sound)"),
                         QStringLiteral("Cannot open %1:\n%2").arg(file, reason));
  };
  s.startMixer = [] { launchMixerOrExplain(MixerView::Playback); };
  s.chooseDevice = chooseCaptureDevice;
  s.chooseFrameSize = chooseFrameSize;
  s.listSoundDevices = soundServerDevices;
  s.chooseSoundDevice = [](QWidget* parent, const SoundDeviceSettings& current) {
    return askForSoundDevice(parent, SoundDirection::Playback, kTxSampleRateHz, current);
  };
  if (rememberSettings) {
    s.loadSettings = loadUserTransmitterSettings;
    s.saveSettings = saveUserTransmitterSettings;
  }
  return s;
}

}  // namespace mosaic
