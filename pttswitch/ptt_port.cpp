#include "pttswitch/ptt_port.h"

#include "pttswitch/port_device_path.h"

namespace mosaic {

PttPort::PttPort(SerialLines& lines) : lines_(lines) {}

PttPort::~PttPort() { shutdown(); }

bool PttPort::setComport(const std::string& portText) {
  // The old port is let go first, also when the new text names no device or the same one,
  // and unkeyed before that: a failed re-open must not leave the transmitter keyed.
  shutdown();
  const auto devicePath = devicePathForPortText(portText);
  if (!devicePath || !lines_.open(*devicePath)) return false;
  // Opening a serial device raises both lines on Linux; drop them at once.
  receive();
  return true;
}

void PttPort::transmit() { setLines(true); }

void PttPort::receive() { setLines(false); }

void PttPort::shutdown() {
  if (!lines_.isOpen()) return;
  receive();
  lines_.close();
}

bool PttPort::isOpen() const { return lines_.isOpen(); }

void PttPort::setLines(bool asserted) {
  if (!lines_.isOpen()) return;
  // Results are deliberately unchecked: there is nothing the operator could do about a refusal,
  // and RTS must still be tried when DTR fails.
  lines_.setLine(ModemLine::Dtr, asserted);
  lines_.setLine(ModemLine::Rts, asserted);
}

}  // namespace mosaic
