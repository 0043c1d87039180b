#pragma once
// The push-to-talk switch itself: one port that keys the transceiver, either a serial port's DTR
// and RTS lines or a rig that Hamlib keys with its own commands. The radio is never let go of
// keyed: every release unkeys first, and a connection that breaks is opened again until the
// radio could be unkeyed.

#include <string>
#include <variant>

#include "pttswitch/port_device_path.h"
#include "pttswitch/ptt_reading.h"
#include "pttswitch/rig_control.h"
#include "pttswitch/serial_lines.h"

namespace mosaic {

// What watchConnection() found.
enum class ConnectionChange {
  None,            // nothing new
  Lost,            // the connection just broke
  LostWhileKeyed,  // the connection just broke and the radio may still be transmitting
  Restored,        // the connection is back and the radio has been unkeyed
};

class PttPort {
 public:
  PttPort(SerialLines& lines, RigControl& rig);
  ~PttPort();
  PttPort(const PttPort&) = delete;
  PttPort& operator=(const PttPort&) = delete;

  // "Set comport": releases the open port (unkeyed), then opens the port that the typed text
  // names and unkeys it. False when nothing could be opened, with the reason in whyNot; no port
  // is open then.
  bool setComport(const std::string& portText, std::string& whyNot);

  // "TX": keys the radio (serial: asserts DTR, then RTS). Without an open port nothing happens.
  void transmit();

  // "RX": unkeys the radio (serial: drops DTR, then RTS). Without an open port nothing happens.
  void receive();

  // Asks the radio whether it is transmitting; Unreachable without a connection.
  PttReading readBack();

  // Looks after the connection, called every second or so while a port is open: notices a
  // connection that broke, and while it is broken tries to open it again and unkey the radio.
  ConnectionChange watchConnection();

  // End of the program: unkeys and releases the port, so that the radio is never left keyed.
  // A broken connection is tried once more first. False when the radio could not be reached
  // to unkey it and may still be transmitting.
  bool shutdown();

  // True while a port is held, also while its connection is broken and being retried.
  bool isOpen() const;

  // True while the connection to the radio is broken.
  bool connectionLost() const { return lost_; }

  // True when the last command keyed the radio, or when a broken connection left it keyed.
  bool mayBeKeyed() const { return mayBeKeyed_; }

  // Why the radio refused the last keying command, in words; empty when it did not.
  const std::string& refusal() const { return refusal_; }

 private:
  bool isRig() const { return std::holds_alternative<RigAddress>(address_); }
  bool openAddress(std::string& whyNot);
  void release();
  // Sends the keying command; a connection that breaks on it is noted as lost.
  void key(bool keyed);
  void noteLost();

  SerialLines& lines_;
  RigControl& rig_;
  PortAddress address_;
  bool held_ = false;
  bool lost_ = false;
  bool mayBeKeyed_ = false;
  std::string refusal_;
};

}  // namespace mosaic
