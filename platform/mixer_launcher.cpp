#include "platform/mixer_launcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace mosaic {

bool launchMixer(MixerView view) {
  // pavucontrol numbers its tabs 1 playback, 2 recording, 3 output devices, 4 input devices.
  const QString program = QStandardPaths::findExecutable(QStringLiteral("pavucontrol"));
  if (program.isEmpty()) {
    std::fprintf(stderr, "mixer: pavucontrol is not installed; open your sound mixer by hand\n");
    return false;
  }
  const QStringList args{QStringLiteral("--tab=%1").arg(view == MixerView::Playback ? 1 : 2)};
  if (!QProcess::startDetached(program, args)) {
    std::fprintf(stderr, "mixer: could not start %s\n", qPrintable(program));
    return false;
  }
  return true;
}

void launchMixerOrExplain(MixerView view) {
  if (launchMixer(view)) return;
  const bool installed = !QStandardPaths::findExecutable(QStringLiteral("pavucontrol")).isEmpty();
  const QString text = installed
                           ? QStringLiteral("The sound mixer pavucontrol could not be started.")
                           : QStringLiteral(
                                 "The sound mixer is not installed. Install the package "
                                 "\"pavucontrol\" (sudo apt install pavucontrol), or set the "
                                 "levels in your desktop's own sound settings.");
  // Not modal: the window goes on sending or receiving while the box is up.
  auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Sound mixer"), text,
                              QMessageBox::Ok, QApplication::activeWindow());
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

}  // namespace mosaic
