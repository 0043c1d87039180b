// Pttswitch: keys and unkeys a transceiver through the DTR and RTS lines of a serial port, or
// through Hamlib: a rig opened directly, or a running rigctld.

#include <QApplication>

#include "platform/shutdown_signal_watcher.h"
#include "pttswitch/comport_error_box.h"
#include "pttswitch/hamlib_rig_control.h"
#include "pttswitch/posix_serial_lines.h"
#include "pttswitch/ptt_port.h"
#include "pttswitch/ptt_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);

  mosaic::PosixSerialLines lines;
  mosaic::HamlibRigControl rig;
  mosaic::PttPort port(lines, rig);
  mosaic::PttWindow window(port, mosaic::showComportError);

  // A signal ends the program as "&Close" does (which unkeys the radio), and also leaves any
  // message box that is open at that moment.
  mosaic::ShutdownSignalWatcher signalWatcher([&window] {
    window.dispatchCommand(mosaic::kCloseId);
    QCoreApplication::exit(0);
  });

  window.exec();
  return 0;
}
