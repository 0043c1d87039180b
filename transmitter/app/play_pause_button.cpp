#include "transmitter/app/play_pause_button.h"

#include <QStyle>

namespace mosaic {

PlayPauseButton::PlayPauseButton(QWidget* parent) : QPushButton(parent) {
  setAutoDefault(false);
  setIconSize(QSize(16, 16));  // the size of the symbol font's characters
}

void PlayPauseButton::setStateText(const QString& text) {
  stateText_ = text;
  if (text == kStoppedText)
    setIcon(style()->standardIcon(QStyle::SP_MediaPause));
  else if (text == kSteppingText)
    setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
  else
    setIcon(QIcon());
}

}  // namespace mosaic
