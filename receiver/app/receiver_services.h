#pragma once
// What the receiver window asks of the desktop besides its own widgets: the save dialog for
// movie files and the recording mixer. Tests put their own in place of both.

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace mosaic {

struct ReceiverServices {
  // Asks for the movie file to save to; nothing when the user cancels.
  std::function<std::optional<QString>(QWidget* parent)> chooseMovieFile;
  // Starts another copy of the recording mixer, without waiting for it.
  std::function<void()> startMixer;
};

// The save dialog "Save File" for "49*48 pixel movie files", in the current directory, with
// the extension ".49" added to a name without one; new names are allowed and overwriting an
// existing file is asked first.
std::optional<QString> chooseMovieFileWithDialog(QWidget* parent);

// The real dialog and the system's mixer on its recording view.
ReceiverServices desktopServices();

}  // namespace mosaic
