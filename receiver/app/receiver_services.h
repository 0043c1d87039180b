#pragma once
// What the receiver window asks of the desktop besides its own widgets: the save dialog for
// movie files, the recording mixer and the remembered settings. Tests put their own in place.

#include "platform/sound_device_dialog.h"
#include "receiver/app/receiver_settings_store.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace mosaic {

struct ReceiverServices {
  // Asks for the movie file to save to, starting in `folder` (empty: the current folder);
  // nothing when the user cancels.
  std::function<std::optional<QString>(QWidget* parent, const QString& folder)> chooseMovieFile;
  // Starts another copy of the recording mixer, without waiting for it.
  std::function<void()> startMixer;
  // The sound devices listed now, and the dialog in which the operator chooses the one to use
  // (nothing when cancelled). Without them the default device is used.
  std::function<std::vector<SoundDeviceName>()> listSoundDevices;
  std::function<std::optional<SoundDeviceSettings>(QWidget*, const SoundDeviceSettings&)>
      chooseSoundDevice;
  // The settings remembered from the last run, shown at start, and those to remember, written
  // when the window is closed. Without them the window starts from its defaults and keeps
  // nothing.
  std::function<ReceiverSettings()> loadSettings;
  std::function<void(const ReceiverSettings&)> saveSettings;
  // Asks for the WAV file "Record sound..." writes, starting in `folder`; nothing when cancelled.
  std::function<std::optional<QString>(QWidget* parent, const QString& folder)> chooseSoundFile;
  // Asks for the recording "Open recording..." plays, starting in `folder`; nothing when
  // cancelled.
  std::function<std::optional<QString>(QWidget* parent, const QString& folder)> chooseRecording;
};

// The save dialog "Save File" for "49*48 pixel movie files", in `folder` or else the current
// directory, with
// the extension ".49" added to a name without one; new names are allowed and overwriting an
// existing file is asked first.
std::optional<QString> chooseMovieFileWithDialog(QWidget* parent,
                                                 const QString& folder = QString());

// The save dialog "Record sound" for WAV files, in `folder` or else the current directory, with
// ".wav" added to a name without one; overwriting an existing file is asked first.
std::optional<QString> chooseSoundFileWithDialog(QWidget* parent,
                                                 const QString& folder = QString());

// The open dialog "Open recording" for sound files, in `folder` or else the current directory;
// only an existing file can be chosen.
std::optional<QString> chooseRecordingWithDialog(QWidget* parent,
                                                 const QString& folder = QString());

// The real dialog, the system's mixer on its recording view and the user's settings; with
// `rememberSettings` false the run neither reads nor writes them.
ReceiverServices desktopServices(bool rememberSettings = true);

}  // namespace mosaic
