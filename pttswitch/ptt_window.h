#pragma once
// The window of the push-to-talk switch, "PTT toggle": two large buttons that key and unkey the
// transceiver, a box for the port, "Set comport" and "&Close". Each button has a handler of its
// own; the work is done by PttPort. The "TX" button stays down
// while the radio confirms that it is transmitting. The window's context menu sets the transmit
// time-out.

#include <QDialog>
#include <functional>
#include <string>

#include "pttswitch/keying_safety.h"
#include "pttswitch/ptt_port.h"

class QLineEdit;
class QMessageBox;
class QPushButton;

namespace mosaic {

// The controls' numeric ids, each control's object name.
inline constexpr int kCloseId = 2;
inline constexpr int kTxId = 1000;
inline constexpr int kRxId = 1001;
inline constexpr int kPortTextId = 1002;
inline constexpr int kSetComportId = 1003;

class PttWindow : public QDialog {
  Q_OBJECT

 public:
  // Tells the operator that the port could not be opened, and why (a message box in the program).
  using OpenFailureReport = std::function<void(const std::string& reason)>;

  PttWindow(PttPort& port, OpenFailureReport reportOpenFailure, QWidget* parent = nullptr);

  // The control with this id, or null.
  QWidget* control(int id) const;

  // The transmit time-out and the connection watch.
  KeyingSafety& safety() { return safety_; }

  // The text of the notice on show (time-out, lost connection), or empty when there is none.
  QString noticeText() const;

  // Asks for the transmit time-out in minutes (0 switches it off).
  void chooseTimeout();

  // "&Close", Escape and the close box end the program.
  void reject() override;

  // Ending the window releases the port, unkeyed.
  void done(int result) override;

 protected:
  // Enter presses the focused button and nothing else (never "&Close" from the port box).
  void keyPressEvent(QKeyEvent* event) override;
  // A new font fits the controls to their captions afresh.
  void changeEvent(QEvent* event) override;

 private:
  // Creates a push button with its id, text, place in dialog units, start state and handler.
  QPushButton* addButton(int id, const char* text, QRect rect, bool enabled,
                         void (PttWindow::*handler)());

  // Fits the buttons to their captions in the window's font, and the window, of fixed size, to
  // the buttons: the specified 80 x 75 dialog units, or more where the captions need it.
  void fitToControls();

  // "Set comport": opens the typed port; on success "TX" and "RX" become usable.
  void setComport();
  // "TX" and "RX": key and unkey, and show what the radio confirms.
  void transmit();
  void receive();

  // Holds "TX" down exactly when the radio confirms that it is transmitting.
  void showKeying();

  // Shows a notice that does not stop the window from working.
  void showNotice(const QString& text);

  PttPort& port_;
  OpenFailureReport reportOpenFailure_;
  KeyingSafety safety_;
  QLineEdit* portText_ = nullptr;
  QPushButton* tx_ = nullptr;
  QPushButton* rx_ = nullptr;
  QMessageBox* notice_ = nullptr;
};

}  // namespace mosaic
