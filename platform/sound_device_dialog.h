#pragma once
// The small dialog in which the operator picks the sound device a program uses: "The system
// default" first, then the devices that open in the program's format. It only hands back the
// choice; the window passes it on to the sound device's keeper.

#include "platform/sound_device_choice.h"

#include <QDialog>

#include <optional>
#include <vector>

class QListWidget;

namespace mosaic {

// What the dialog sets.
struct SoundDeviceSettings {
  std::optional<SoundDeviceName> device;  // nothing: the system default
};

class SoundDeviceDialog : public QDialog {
 public:
  // `usable`: the devices to offer. A chosen device that is not among them (unplugged) is
  // offered as well, marked as absent, so that keeping the choice stays possible.
  SoundDeviceDialog(QWidget* parent, const QString& title, std::vector<SoundDeviceName> usable,
                    const SoundDeviceSettings& current);
  // The row selected now, as settings.
  SoundDeviceSettings settings() const;
  QListWidget* list() const { return list_; }

 private:
  std::vector<std::optional<SoundDeviceName>> rows_;
  QListWidget* list_ = nullptr;
};

// The dialog for a program's playback or recording, offering the devices that the sound server
// opens at `sampleRateHz`, mono, 16-bit; nothing when cancelled.
std::optional<SoundDeviceSettings> askForSoundDevice(QWidget* parent, SoundDirection direction,
                                                     int sampleRateHz,
                                                     const SoundDeviceSettings& current);

}  // namespace mosaic
