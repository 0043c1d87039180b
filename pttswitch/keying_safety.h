#pragma once
// What keeps a forgotten or cut-off transmitter from staying keyed while the window is open: the
// transmit time-out, and a watch on the connection to the radio that reports a break at once and
// unkeys the radio as soon as the connection is back.

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>

#include "pttswitch/ptt_port.h"

namespace mosaic {

class KeyingSafety : public QObject {
  Q_OBJECT

 public:
  explicit KeyingSafety(PttPort& port, QObject* parent = nullptr);

  // The transmit time-out in minutes; 0 (the start value) switches it off.
  void setTimeoutMinutes(int minutes);
  int timeoutMinutes() const { return timeoutMinutes_; }

  // How long a "minute" of the time-out lasts, and how often the connection is looked at; tests
  // make both short.
  void setTiming(std::chrono::milliseconds minute, std::chrono::milliseconds watchInterval);

  // To be called after every successful "Set comport", "TX" and "RX".
  void portOpened();
  void keyed();
  void unkeyed();

 signals:
  // Something the operator must know at once, in words for the window.
  void notice(const QString& text);
  // The radio was keyed or unkeyed other than by a button (time-out, connection back).
  void keyingChanged();

 private:
  void timeOut();
  void watch();

  PttPort& port_;
  int timeoutMinutes_ = 0;
  std::chrono::milliseconds minute_{60000};
  QTimer timeout_;
  QTimer watch_;
};

}  // namespace mosaic
