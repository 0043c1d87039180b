// Mosaiccast: the Mosaic TV transmitter. It sends the picture of a video file or a camera, with
// a crawl text, as one 1.28 s frame after another on the sound card's output, from start-up to
// exit.

#include "platform/program_arguments.h"
#include "platform/remembered_values.h"
#include "platform/shutdown_signal_watcher.h"
#include "platform/sound_server_output.h"
#include "transmitter/app/transmitter_services.h"
#include "transmitter/app/transmitter_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  if (const auto status = mosaic::answerProgramArguments(
          argc, argv, "mosaiccast",
          "The Mosaic TV transmitter: sends a video file or a camera's picture, with a crawl "
          "text,\n"
          "as narrow-band colour television on the sound card's output from start-up to exit.",
          MOSAIC_VERSION))
    return *status;
  QApplication app(argc, argv);
  mosaic::nameProgramForSettings("mosaiccast");
  mosaic::SoundServerOutput audio;
  mosaic::TransmitterWindow window(
      mosaic::programServices(audio, !mosaic::startsWithDefaults(argc, argv)));
  // Ended by a signal, the program still closes its window and its sound output in order.
  mosaic::ShutdownSignalWatcher signalWatcher([&window] { window.done(0); });
  window.run();
  return 0;
}
