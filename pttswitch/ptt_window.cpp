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

#include "platform/control_layout.h"
#include "platform/control_names.h"
#include "platform/dialog_units.h"

namespace mosaic {

namespace {

// The desktop's generic program icon, or the style's stand-in where no icon theme is installed.
constexpr int kClientWidthDu = 80;
constexpr int kClientHeightDu = 75;

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

  // Created in this order, which is also the order of the Tab key.
  portText_ = withId(new QLineEdit(QStringLiteral("1"), this), kPortTextId);
  placeControl(portText_, dialogRect(60, 45, 20, 14));
  addButton(kCloseId, "&Close", dialogRect(0, 60, 80, 14), true, &PttWindow::reject);
  tx_ = addButton(kTxId, "TX", dialogRect(0, 0, 40, 40), false, &PttWindow::transmit);
  rx_ = addButton(kRxId, "RX", dialogRect(40, 0, 40, 40), false, &PttWindow::receive);
  addButton(kSetComportId, "Set comport", dialogRect(0, 45, 60, 14), true, &PttWindow::setComport);
  // "TX" shows the radio's confirmed state; a press only asks for it (see showKeying).
  tx_->setCheckable(true);
  fitToControls();

  auto* timeoutAction = new QAction(QStringLiteral("Transmit time-out..."), this);
  connect(timeoutAction, &QAction::triggered, this, &PttWindow::chooseTimeout);
  addAction(timeoutAction);
  setContextMenuPolicy(Qt::ActionsContextMenu);

  connect(&safety_, &KeyingSafety::keyingChanged, this, &PttWindow::showKeying);
  connect(&safety_, &KeyingSafety::notice, this, &PttWindow::showNotice);
}

QPushButton* PttWindow::addButton(int id, const char* text, QRect rect, bool enabled,
                                  void (PttWindow::*handler)()) {
  auto* button = withId(new QPushButton(QString::fromLatin1(text), this), id);
  placeControl(button, rect);
  button->setEnabled(enabled);
  // No button is the default: Enter in the port box must not press one (least of all "&Close").
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, handler);
  return button;
}

void PttWindow::transmit() {
  port_.transmit();
  safety_.keyed();
  showKeying();
  if (!port_.refusal().empty()) showNotice(QString::fromStdString(port_.refusal()));
}

void PttWindow::receive() {
  port_.receive();
  safety_.unkeyed();
  showKeying();
  if (!port_.refusal().empty()) showNotice(QString::fromStdString(port_.refusal()));
}

QWidget* PttWindow::control(int id) const { return findControl(this, id); }

void PttWindow::fitToControls() {
  setFixedSize(fitControls(this).expandedTo(
      {dialogUnitsToPixelsX(kClientWidthDu), dialogUnitsToPixelsY(kClientHeightDu)}));
}

void PttWindow::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // The font is set before the controls are made; they are fitted once they all are.
  if (event->type() == QEvent::FontChange && rx_) fitToControls();
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

void PttWindow::reject() { done(QDialog::Rejected); }

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
