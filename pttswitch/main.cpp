// Pttswitch: keys and unkeys a transceiver through the DTR and RTS lines of a serial port, or
// through Hamlib: a rig opened directly, or a running rigctld.

#include <QApplication>

#include "platform/program_arguments.h"
#include "platform/remembered_values.h"
#include "platform/shutdown_signal_watcher.h"
#include "pttswitch/comport_error_box.h"
#include "pttswitch/hamlib_rig_control.h"
#include "pttswitch/posix_serial_lines.h"
#include "pttswitch/ptt_port.h"
#include "pttswitch/ptt_settings_store.h"
#include "pttswitch/ptt_window.h"

int main(int argc, char* argv[]) {
  if (const auto status = mosaic::answerProgramArguments(
          argc, argv, "pttswitch",
          "Keys and unkeys a transceiver through the DTR and RTS lines of a serial port.",
          MOSAIC_VERSION))
    return *status;
  QApplication app(argc, argv);
  mosaic::nameProgramForSettings("pttswitch");
  const bool rememberSettings = !mosaic::startsWithDefaults(argc, argv);

  mosaic::PosixSerialLines lines;
  mosaic::HamlibRigControl rig;
  mosaic::PttPort port(lines, rig);
  mosaic::PttWindow window(port, mosaic::showComportError);

  // A signal ends the program as "&Close" does (which unkeys the radio), and also leaves any
  // message box that is open at that moment.
  mosaic::ShutdownSignalWatcher signalWatcher([&window] {
    window.reject();
    QCoreApplication::exit(0);
  });

  // The remembered port is only shown; opening it waits for "Set comport".
  if (rememberSettings) mosaic::showRememberedPort(window);
  window.exec();
  if (rememberSettings) mosaic::rememberPort(window);
  return 0;
}
