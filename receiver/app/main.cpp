// Mosaicview: receives Mosaic TV pictures from the sound card's recording input and shows them,
// with a recorder for movie files.

#include "platform/qt_audio_input.h"
#include "platform/shutdown_signal_watcher.h"
#include "receiver/app/receiver_services.h"
#include "receiver/app/receiver_window.h"
#include "receiver/core/movie/disk_movie_files.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);

  mosaic::QtAudioInput input;
  mosaic::DiskMovieFiles files;
  mosaic::ReceiverWindow window(input, files, mosaic::desktopServices());

  // Ended by a signal, the program still completes its movie file.
  mosaic::ShutdownSignalWatcher signalWatcher([&window] {
    window.shutDown();
    QCoreApplication::exit(0);
  });

  window.show();
  return app.exec();
}
