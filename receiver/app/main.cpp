// Mosaicview: receives Mosaic TV pictures from the sound card's recording input and shows them,
// with a recorder for movie files.

#include "platform/program_arguments.h"
#include "platform/remembered_values.h"
#include "platform/shutdown_signal_watcher.h"
#include "platform/sound_server_input.h"
#include "receiver/app/receiver_services.h"
#include "receiver/app/receiver_window.h"
#include "receiver/core/movie/disk_movie_files.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  if (const auto status = mosaic::answerProgramArguments(
          argc, argv, "mosaicview",
          "The Mosaic TV receiver: shows the pictures received on the sound card's recording\n"
          "input and records them to movie files.",
          MOSAIC_VERSION))
    return *status;
  QApplication app(argc, argv);
  mosaic::nameProgramForSettings("mosaicview");

  mosaic::SoundServerInput input;
  mosaic::DiskMovieFiles files;
  mosaic::ReceiverWindow window(input, files,
                                mosaic::desktopServices(!mosaic::startsWithDefaults(argc, argv)));

  // Ended by a signal, the program still completes its movie file.
  mosaic::ShutdownSignalWatcher signalWatcher([&window] {
    window.shutDown();
    QCoreApplication::exit(0);
  });

  window.show();
  return app.exec();
}
