#pragma once
// The receiver window on fake devices: a sound input that the test fills buffer by buffer, movie
// files in memory, a save dialog that answers from a list, a mixer that only counts, and a
// device list and device dialog that the test sets.

#include "receiver/app/control_ids.h"
#include "receiver/app/picture_view.h"
#include "receiver/app/receiver_window.h"
#include "tests/receiver/fake_movie_files.h"
#include "tests/support/fake_audio_input.h"
#include "tests/support/qt_app.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <deque>
#include <optional>
#include <vector>

namespace mosaic::test {

struct ReceiverRig {
  QApplication& app = test::app();  // first: widgets need it
  fakes::FakeAudioInput input;
  testing::FakeMovieFiles memoryFiles;
  std::deque<QString> dialogAnswers;  // an empty name or none left: cancelled
  int dialogs = 0;
  QString dialogFolder;  // the folder the last dialog was opened in
  int mixerStarts = 0;
  std::vector<SoundDeviceName> soundDevices;       // the devices the system lists
  std::optional<SoundDeviceSettings> soundAnswer;  // what the device dialog returns
  ReceiverWindow window;

  // With `rememberSettings` the window reads and writes the user's settings, as the program
  // does; otherwise it starts from its defaults and keeps nothing.
  explicit ReceiverRig(MovieFiles* files = nullptr, bool rememberSettings = false)
      : window(input, files ? *files : memoryFiles, services(rememberSettings)) {}

  ReceiverServices services(bool rememberSettings) {
    ReceiverServices s;
    s.chooseMovieFile = [this](QWidget*, const QString& folder) {
      dialogFolder = folder;
      return answerDialog();
    };
    s.chooseSoundFile = s.chooseMovieFile;
    s.chooseRecording = s.chooseMovieFile;
    s.startMixer = [this] { ++mixerStarts; };
    s.listSoundDevices = [this] { return soundDevices; };
    s.chooseSoundDevice = [this](QWidget*, const SoundDeviceSettings&) { return soundAnswer; };
    if (rememberSettings) {
      s.loadSettings = loadUserReceiverSettings;
      s.saveSettings = saveUserReceiverSettings;
    }
    return s;
  }

  std::optional<QString> answerDialog() {
    ++dialogs;
    if (dialogAnswers.empty()) return std::nullopt;
    const QString answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    if (answer.isEmpty()) return std::nullopt;
    return answer;
  }

  QSlider* slider(int id) const { return qobject_cast<QSlider*>(window.control(id)); }
  QLabel* label(int id) const { return qobject_cast<QLabel*>(window.control(id)); }
  QPushButton* button(int id) const { return qobject_cast<QPushButton*>(window.control(id)); }
  QCheckBox* checkBox(int id) const { return qobject_cast<QCheckBox*>(window.control(id)); }
  QString text(int id) const { return label(id)->text(); }
  void menu(int id) const { window.menuAction(id)->trigger(); }

  // One filled capture buffer; false when the window is not receiving.
  bool receive(const std::vector<std::int16_t>& buffer) { return input.record(buffer); }
  // `audio` cut into whole capture buffers, one after another.
  void receiveAll(const std::vector<std::int16_t>& audio) {
    for (std::size_t at = 0; at + kCaptureSamples <= audio.size(); at += kCaptureSamples) {
      receive(std::vector<std::int16_t>(
          audio.begin() + static_cast<std::ptrdiff_t>(at),
          audio.begin() + static_cast<std::ptrdiff_t>(at + kCaptureSamples)));
    }
  }
  const QImage& picture() const { return window.pictureView()->shown(); }
};

// A message box that is open now with this title, or null.
inline QWidget* openBoxTitled(const QString& title) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->windowTitle() == title) return w;
  return nullptr;
}

}  // namespace mosaic::test
