#include "pttswitch/ptt_window.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <cstdio>

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
      reportOpenFailure_(std::move(reportOpenFailure)),
      safety_(port) {
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
  // "TX" shows the radio's confirmed state; a press only asks for it (see showKeying).
  tx_->setCheckable(true);

  auto* timeoutAction = new QAction(QStringLiteral("Transmit time-out..."), this);
  connect(timeoutAction, &QAction::triggered, this, &PttWindow::chooseTimeout);
  addAction(timeoutAction);
  setContextMenuPolicy(Qt::ActionsContextMenu);

  connect(&safety_, &KeyingSafety::keyingChanged, this, &PttWindow::showKeying);
  connect(&safety_, &KeyingSafety::notice, this, &PttWindow::showNotice);
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
      safety_.keyed();
      showKeying();
      if (!port_.refusal().empty()) showNotice(QString::fromStdString(port_.refusal()));
      break;
    case kRxId:
      port_.receive();
      safety_.unkeyed();
      showKeying();
      if (!port_.refusal().empty()) showNotice(QString::fromStdString(port_.refusal()));
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

QString PttWindow::noticeText() const {
  return notice_ && notice_->isVisible() ? notice_->text() : QString();
}

void PttWindow::chooseTimeout() {
  bool ok = false;
  const int minutes = QInputDialog::getInt(
      this, QStringLiteral("Transmit time-out"),
      QStringLiteral("Unkey after this many minutes of transmitting (0: never):"),
      safety_.timeoutMinutes(), 0, 600, 1, &ok);
  if (ok) safety_.setTimeoutMinutes(minutes);
}

void PttWindow::reject() { dispatchCommand(kCloseId); }

void PttWindow::done(int result) {
  if (!port_.shutdown()) {
    std::fprintf(stderr,
                 "pttswitch: the radio could not be reached to unkey it and may still be "
                 "transmitting\n");
  }
  if (notice_) notice_->close();
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
  std::string whyNot;
  const bool opened = port_.setComport(portText_->text().toStdString(), whyNot);
  safety_.unkeyed();
  showKeying();
  if (!opened) {
    // "TX" and "RX" stay as they were; without a port they do nothing.
    if (reportOpenFailure_) reportOpenFailure_(whyNot);
    return;
  }
  safety_.portOpened();
  tx_->setEnabled(true);
  rx_->setEnabled(true);
}

void PttWindow::showKeying() {
  const bool keyed = port_.isOpen() && port_.readBack() == PttReading::Keyed;
  tx_->setChecked(keyed);
  // Held down, and red: a transmitting radio must be plain to see across the shack.
  QPalette palette = this->palette();
  if (keyed) {
    palette.setColor(QPalette::Button, Qt::red);
    palette.setColor(QPalette::ButtonText, Qt::white);
  }
  tx_->setPalette(palette);
}

void PttWindow::showNotice(const QString& text) {
  std::fprintf(stderr, "pttswitch: %s\n", qPrintable(text));
  if (!notice_) {
    notice_ = new QMessageBox(QMessageBox::Warning, QStringLiteral("Pttswitch"), text,
                              QMessageBox::Ok, this);
    notice_->setModal(false);
  }
  notice_->setText(text);
  notice_->show();
  notice_->raise();
}

}  // namespace mosaic
