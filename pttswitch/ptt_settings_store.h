#pragma once
// What the push-to-talk switch remembers from one run to the next: the port last typed into its
// box, as typed (a port number, a device path or a rig-control address). At start it is only
// shown in the box; nothing is opened until the operator presses "Set comport", so that starting
// the program never keys the transceiver.

#include <QSettings>
#include <QString>

#include <optional>

namespace mosaic {

class PttWindow;

// The remembered port: one line of text, not empty; nothing when the file holds none usable.
std::optional<QString> readRememberedPort(const QSettings& settings);
void writeRememberedPort(QSettings& settings, const QString& port);

// The user's remembered port into the window's port box, and the box's text back.
void showRememberedPort(PttWindow& window);
void rememberPort(const PttWindow& window);

}  // namespace mosaic
