#include "pttswitch/keying_safety.h"

namespace mosaic {

KeyingSafety::KeyingSafety(PttPort& port, QObject* parent)
    : QObject(parent), port_(port), timeout_(this), watch_(this) {
  timeout_.setSingleShot(true);
  watch_.setInterval(std::chrono::milliseconds(1000));
  connect(&timeout_, &QTimer::timeout, this, &KeyingSafety::timeOut);
  connect(&watch_, &QTimer::timeout, this, &KeyingSafety::watch);
}

void KeyingSafety::setTimeoutMinutes(int minutes) {
  timeoutMinutes_ = minutes < 0 ? 0 : minutes;
  // A change applies to the transmission under way, counted from now.
  if (timeout_.isActive() || (port_.mayBeKeyed() && !port_.connectionLost())) keyed();
}

void KeyingSafety::setTiming(std::chrono::milliseconds minute,
                             std::chrono::milliseconds watchInterval) {
  minute_ = minute;
  watch_.setInterval(watchInterval);
}

void KeyingSafety::portOpened() {
  timeout_.stop();
  watch_.start();
}

void KeyingSafety::keyed() {
  timeout_.stop();
  if (timeoutMinutes_ > 0) timeout_.start(minute_ * timeoutMinutes_);
}

void KeyingSafety::unkeyed() { timeout_.stop(); }

void KeyingSafety::timeOut() {
  if (!port_.mayBeKeyed()) return;
  port_.receive();
  emit keyingChanged();
  emit notice(
      QStringLiteral("Transmit time-out: the radio has been unkeyed after %1 %2 of "
                     "transmitting.")
          .arg(timeoutMinutes_)
          .arg(timeoutMinutes_ == 1 ? QStringLiteral("minute") : QStringLiteral("minutes")));
}

void KeyingSafety::watch() {
  if (!port_.isOpen()) {
    watch_.stop();
    return;
  }
  switch (port_.watchConnection()) {
    case ConnectionChange::None:
      return;
    case ConnectionChange::Lost:
      timeout_.stop();
      emit keyingChanged();
      emit notice(QStringLiteral(
          "The connection to the radio is lost. Pttswitch keeps trying to reach it."));
      return;
    case ConnectionChange::LostWhileKeyed:
      timeout_.stop();
      emit keyingChanged();
      emit notice(
          QStringLiteral("The connection to the radio is lost while transmitting: the radio may "
                         "still be keyed! Pttswitch unkeys it as soon as the connection is back."));
      return;
    case ConnectionChange::Restored:
      emit keyingChanged();
      emit notice(
          QStringLiteral("The connection to the radio is back, and the radio has been unkeyed."));
      return;
  }
}

}  // namespace mosaic
