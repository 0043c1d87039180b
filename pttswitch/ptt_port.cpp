#include "pttswitch/ptt_port.h"

namespace mosaic {

PttPort::PttPort(SerialLines& lines, RigControl& rig) : lines_(lines), rig_(rig) {}

PttPort::~PttPort() { shutdown(); }

bool PttPort::setComport(const std::string& portText, std::string& whyNot) {
  // The old port is let go first, also when the new text names no device or the same one,
  // and unkeyed before that: a failed re-open must not leave the transmitter keyed.
  shutdown();
  const auto address = portAddressForText(portText);
  if (!address) {
    whyNot = "\"" + portText +
             "\" names no serial port (1, ttyUSB0, /dev/ttyUSB0), no rigctld "
             "(rigctld, rigctld:HOST:PORT) and no Hamlib rig (hamlib:MODEL@DEVICE,BAUD).";
    return false;
  }
  address_ = *address;
  if (!openAddress(whyNot)) return false;
  held_ = true;
  // Opening a serial device raises both lines on Linux; drop them at once.
  receive();
  return true;
}

bool PttPort::openAddress(std::string& whyNot) {
  if (const auto* rig = std::get_if<RigAddress>(&address_)) return rig_.open(*rig, whyNot);
  return lines_.open(std::get<SerialAddress>(address_).devicePath, whyNot);
}

void PttPort::transmit() {
  if (!held_) return;
  mayBeKeyed_ = true;
  key(true);
}

void PttPort::receive() {
  if (!held_) return;
  key(false);
  // A radio that could not be told, or that refused, stays possibly keyed until an unkey
  // gets through.
  if (!lost_ && refusal_.empty()) mayBeKeyed_ = false;
}

void PttPort::key(bool keyed) {
  refusal_.clear();
  if (lost_) return;
  if (isRig()) {
    if (!rig_.setPtt(keyed, refusal_)) noteLost();
    return;
  }
  // Results are deliberately unchecked: there is nothing the operator could do about a refusal,
  // and RTS must still be tried when DTR fails. A port that has gone away shows on the watch.
  lines_.setLine(ModemLine::Dtr, keyed);
  lines_.setLine(ModemLine::Rts, keyed);
}

PttReading PttPort::readBack() {
  if (!held_ || lost_) return PttReading::Unreachable;
  return isRig() ? rig_.readPtt() : lines_.readLines();
}

ConnectionChange PttPort::watchConnection() {
  if (!held_) return ConnectionChange::None;
  if (!lost_) {
    if (readBack() != PttReading::Unreachable) return ConnectionChange::None;
    noteLost();
    return mayBeKeyed_ ? ConnectionChange::LostWhileKeyed : ConnectionChange::Lost;
  }
  std::string whyNot;
  if (!openAddress(whyNot)) return ConnectionChange::None;
  lost_ = false;
  receive();
  return lost_ ? ConnectionChange::None : ConnectionChange::Restored;
}

void PttPort::noteLost() {
  lost_ = true;
  // The broken handle is of no more use; a device that comes back is opened anew.
  release();
}

void PttPort::release() {
  if (isRig()) {
    rig_.close();
  } else {
    lines_.close();
  }
}

bool PttPort::shutdown() {
  if (!held_) return true;
  if (lost_) watchConnection();
  if (!lost_) {
    receive();
    if (!lost_) release();
  }
  const bool unkeyed = !mayBeKeyed_;
  held_ = lost_ = mayBeKeyed_ = false;
  return unkeyed;
}

bool PttPort::isOpen() const { return held_; }

}  // namespace mosaic
