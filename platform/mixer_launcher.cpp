#include "platform/mixer_launcher.h"

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

}  // namespace mosaic
