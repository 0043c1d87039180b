#include "receiver/app/help_notes.h"

#include <QStringList>

namespace mosaic {

QString helpNotesText() {
  static const char* const kLines[] = {
      "1. Tune to get picture in view window",
      "2. Use fine tune to adjust picture brightness",
      "3. Two frames are displayed at a time to avoid need for frame sync",
      "4. Use 'Brightness Adjust' to adjust brightness variation across picture ",
      "5. Set 'Saturation' to MONO to receive B/W picture only",
      "6. Basic picture is 48 x 48 pixels",
      "  ",
      "Voxlane plus Video Operation (Voxlane '1400' mode only)",
      "   ",
      "   a. Both stations should set the audio and IF bandwidths to",
      "       maximum settings for transmitting and receiving (3.5 kHz",
      "       or more, if possible).  Both stations should allow time",
      "       for warm-up of the transceivers before transmitting and",
      "       receiving Voxlane plus Video",
      "      ",
      "   b. Voxlane plus Video requires that both stations are set up",
      "       with the software listed below.  Separate PC's are required",
      "       as shown below.  Detailed setup instructions are given in the",
      "       Voxlane plus Video documentation provided with the software",
      "       distribution.",
      "      ",
      "      Video TX/Voxlane PC Software: Voxlane and Mosaiccast",
      "          ",
      "           Motherboard sound card: Windows Control Panel (Sound)",
      "            1. Record: Sets mic gain to Voxlane encoder (Default input).",
      "            2. Playback: Sets Voxlane TX amplitude w.r.t. video",
      "                (TX LEVEL 1).",
      "          ",
      "           USB Sound Card (TX): Windows Control Panel (Sound)",
      "            3. Record: Sets Voxlane TX amplitude w.r.t. video",
      "                (TX LEVEL 2).",
      "            4. Playback: Sets TX output power level (Default output)",
      "                (TX LEVEL 3).",
      "          ",
      "           USB Sound Card (RX): Windows Control Panel (Sound)",
      "            5. Record: Sets RX audio level to Voxlane decoder.",
      "            6. Playback: Sets volume for Voxlane speakers.",
      "      ",
      "      Video RX PC Software: Mosaicview and WinWarbler",
      "     ",
      "           Motherboard sound card: Windows Control Panel (Sound)",
      "            Record: Sets RX audio level to Mosaicview and",
      "            WinWarbler (Default input).",
      "           ",
      "            WinWarbler:",
      "            Transceiver RX tuning is set so WinWarbler AFC readout",
      "             indicates 2.100 kHz, with AFC locked to B56 sub-carrier.",
  };
  QStringList lines;
  for (const char* line : kLines) lines << QString::fromLatin1(line);
  return lines.join(QStringLiteral("\r\n"));
}

QString aboutText() {
  const QStringList lines = {
      QStringLiteral("Multicarrier NBTV receiver, 48x48 pixels at 0.9fps"),
      QString(),
      QStringLiteral("Mosaicview by the Mosaic TV developers, first version December 2026"),
      QString(),
      QStringLiteral("Voxlane+ modifications by the Mosaic TV developers"),
      QStringLiteral("Version " MOSAICVIEW_VERSION " of December 2026"),
  };
  return lines.join(QStringLiteral("\r\n"));
}

QMessageBox* showNoteBox(QMessageBox::Icon icon, const QString& title, const QString& text) {
  // No parent: like a box without an owner, it leaves the receiver window usable.
  auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
  return box;
}

}  // namespace mosaic
