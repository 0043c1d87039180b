#include "pttswitch/ptt_window.h"

#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "platform/dialog_units.h"

namespace mosaic {

namespace {

// The desktop's generic program icon, or the style's stand-in where no icon theme is installed.
QIcon standardApplicationIcon() {
  return QIcon::fromTheme(QStringLiteral("application-x-executable"),
                          QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
}

}  // namespace

PttWindow::PttWindow(PttPort& port, OpenFailureReport reportOpenFailure, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      port_(port),
      reportOpenFailure_(std::move(reportOpenFailure)) {
  setWindowTitle(QStringLiteral("PTT toggle"));
  setWindowIcon(standardApplicationIcon());
  setFont(dialogFont());
  setFixedSize(dialogUnitsToPixelsX(80), dialogUnitsToPixelsY(75));

  // Created in this order, which is also the order of the Tab key.
  portText_ = new QLineEdit(QStringLiteral("1"), this);
  portText_->setGeometry(dialogRect(60, 45, 20, 14));
  controls_[kPortTextId] = portText_;
  addButton(kCloseId, "&Close", dialogRect(0, 60, 80, 14), true);
  tx_ = addButton(kTxId, "TX", dialogRect(0, 0, 40, 40), false);
  rx_ = addButton(kRxId, "RX", dialogRect(40, 0, 40, 40), false);
  addButton(kSetComportId, "Set comport", dialogRect(0, 45, 60, 14), true);
}

QPushButton* PttWindow::addButton(int id, const char* text, QRect rect, bool enabled) {
  auto* button = new QPushButton(QString::fromLatin1(text), this);
  button->setGeometry(rect);
  button->setEnabled(enabled);
  // No button is the default: Enter in the port box must not press one (least of all "&Close").
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, [this, id] { dispatchCommand(id); });
  controls_[id] = button;
  return button;
}

void PttWindow::dispatchCommand(int id) {
  switch (id) {
    case kSetComportId:
      setComport();
      break;
    case kTxId:
      port_.transmit();
      break;
    case kRxId:
      port_.receive();
      break;
    case kCloseId:
      done(QDialog::Rejected);
      break;
    default:
      break;
  }
}

QWidget* PttWindow::control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void PttWindow::reject() { dispatchCommand(kCloseId); }

void PttWindow::done(int result) {
  port_.shutdown();
  QDialog::done(result);
}

void PttWindow::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
      button->click();
    }
    return;
  }
  QDialog::keyPressEvent(event);
}

void PttWindow::setComport() {
  if (!port_.setComport(portText_->text().toStdString())) {
    // "TX" and "RX" stay as they were; without a port they do nothing.
    if (reportOpenFailure_) reportOpenFailure_();
    return;
  }
  tx_->setEnabled(true);
  rx_->setEnabled(true);
}

}  // namespace mosaic
