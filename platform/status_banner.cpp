#include "platform/status_banner.h"

#include <QEvent>

namespace mosaic {

StatusBanner::StatusBanner(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("statusBanner"));
  setWordWrap(true);
  setAutoFillBackground(true);
  setStyleSheet(QStringLiteral("QLabel { background: #fff2a8; color: black; padding: 2px; }"));
  parent->installEventFilter(this);  // follows the parent's size
  setGeometry(0, 0, 0, 0);           // covers nothing until it has something to say
  hide();
}

void StatusBanner::say(const QString& text) {
  setText(text);
  setVisible(!text.isEmpty());
  if (!text.isEmpty()) {
    place();
    raise();
  }
}

bool StatusBanner::eventFilter(QObject* watched, QEvent* event) {
  // Not hidden rather than visible: a banner set before the window is shown follows its first
  // layout too.
  if (watched == parentWidget() && event->type() == QEvent::Resize && !isHidden()) place();
  return QLabel::eventFilter(watched, event);
}

void StatusBanner::place() {
  const int width = parentWidget()->width();
  const int height = heightForWidth(width);
  setGeometry(0, parentWidget()->height() - height, width, height);
}

}  // namespace mosaic
