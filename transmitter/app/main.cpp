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
#include <QFileInfo>

int main(int argc, char* argv[]) {
  const mosaic::FileOperand video{
      "FILE", "FILE, a video file, is opened at start-up as \"File > Open\" opens it."};
  if (const auto status = mosaic::answerProgramArguments(
          argc, argv, "mosaiccast",
          "The Mosaic TV transmitter: sends a video file or a camera's picture, with a crawl "
          "text,\n"
          "as narrow-band colour television on the sound card's output from start-up to exit.",
          MOSAIC_VERSION, &video))
    return *status;
  QApplication app(argc, argv);
  mosaic::nameProgramForSettings("mosaiccast");
  mosaic::SoundServerOutput audio;
  mosaic::TransmitterWindow window(
      mosaic::programServices(audio, !mosaic::startsWithDefaults(argc, argv)));
  // Ended by a signal, the program still closes its window and its sound output in order, and
  // also leaves a message box that is open at that moment.
  mosaic::ShutdownSignalWatcher signalWatcher([&window] {
    window.done(0);
    QCoreApplication::exit(0);
  });
  std::optional<QString> file;
  if (const auto given = mosaic::fileArgument(argc, argv))
    file = QFileInfo(QString::fromLocal8Bit(given->c_str())).absoluteFilePath();
  window.run(file);
  return 0;
}
