// The transmitter window's status lines, below the controls of either source: the level of the
// frame on the air, for setting the transceiver's drive, a note when "&Camera" found no camera
// or not the chosen one, and what is wrong with the sound output.

#include "platform/control_layout.h"
#include "platform/level_display.h"
#include "platform/status_banner.h"
#include "transmitter/app/transmitter_window.h"

#include <QLabel>

namespace mosaic {

namespace {
// In the strip between the controls (ending at 154 px) and the bottom of the 107 DU window.
const QRect kOutputLevelRect(1, 156, 157, 16);  // [px]
}  // namespace

void TransmitterWindow::createStatusLines() {
  outputLevel_ = new LevelDisplay(LevelDisplay::Side::Output, client_);
  placeControl(outputLevel_, kOutputLevelRect);
  outputLevel_->follow([this] { return output_ ? output_->playingLevel() : SoundLevel{}; });
  cameraNote_ = new QLabel(client_);
  cameraNote_->setObjectName(QStringLiteral("cameraNote"));
  cameraNote_->setWordWrap(true);
  cameraNote_->setAutoFillBackground(true);
  cameraNote_->setStyleSheet(
      QStringLiteral("QLabel { background: #ffd9a8; color: black; padding: 2px; }"));
  cameraNote_->hide();
}

void TransmitterWindow::showCameraNote() {
  const QString note = QString::fromStdString(source_.state().cameraNote);
  const bool shown = !cameraNote_->isHidden();
  if (note.isEmpty() && !shown) return;
  const int before = shown ? cameraNote_->height() : 0;
  const int width = this->width();  // the client's, also before the window is first shown
  cameraNote_->setText(note);
  const int after = note.isEmpty() ? 0 : cameraNote_->heightForWidth(width);
  // Below everything else of the window, which grows to make room.
  cameraNote_->setGeometry(0, controlsSize_.height(), width, after);
  cameraNote_->setVisible(!note.isEmpty());
  resize(this->width(), height() - before + after);
}

void TransmitterWindow::showSoundStatus(const std::string& status) {
  // Below the controls and the camera's note rather than over them: the window grows by it.
  const int before = banner_->isHidden() ? 0 : banner_->height();
  banner_->say(QString::fromStdString(status));
  const int after = banner_->isHidden() ? 0 : banner_->heightForWidth(width());
  if (after != before) resize(width(), height() - before + after);
}

}  // namespace mosaic
