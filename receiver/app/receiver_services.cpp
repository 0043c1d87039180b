#include "receiver/app/receiver_services.h"

#include "platform/mixer_launcher.h"
#include "platform/sound_server_probe.h"
#include "signal/timing.h"

#include <QDir>
#include <QFileDialog>

namespace mosaic {

std::optional<QString> chooseMovieFileWithDialog(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent, QStringLiteral("Save File"),
                     folder.isEmpty() ? QDir::currentPath() : folder,
                     QStringLiteral("49*48 pixel movie files (*.49);;All Files (*)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("49"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

std::optional<QString> chooseSoundFileWithDialog(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent, QStringLiteral("Record sound"),
                     folder.isEmpty() ? QDir::currentPath() : folder,
                     QStringLiteral("WAV sound files (*.wav);;All Files (*)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("wav"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

std::optional<QString> chooseRecordingWithDialog(QWidget* parent, const QString& folder) {
  QFileDialog dialog(
      parent, QStringLiteral("Open recording"), folder.isEmpty() ? QDir::currentPath() : folder,
      QStringLiteral("Sound files (*.wav *.flac *.ogg *.aif *.aiff *.au);;All Files (*)"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

ReceiverServices desktopServices(bool rememberSettings) {
  ReceiverServices services;
  services.chooseMovieFile = chooseMovieFileWithDialog;
  services.chooseSoundFile = chooseSoundFileWithDialog;
  services.chooseRecording = chooseRecordingWithDialog;
  services.startMixer = [] { launchMixerOrExplain(MixerView::Recording); };
  services.listSoundDevices = soundServerDevices;
  services.chooseSoundDevice = [](QWidget* parent, const SoundDeviceSettings& current) {
    return askForSoundDevice(parent, SoundDirection::Recording, kRxSampleRateHz, current);
  };
  if (rememberSettings) {
    services.loadSettings = loadUserReceiverSettings;
    services.saveSettings = saveUserReceiverSettings;
  }
  return services;
}

}  // namespace mosaic
