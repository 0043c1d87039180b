#pragma once
// The push-to-talk switch itself: one serial port whose DTR and RTS lines key the transceiver.
// No transmit/receive state is kept; the lines stay as the last command set them.

#include <string>

#include "pttswitch/serial_lines.h"

namespace mosaic {

class PttPort {
 public:
  explicit PttPort(SerialLines& lines);
  ~PttPort();
  PttPort(const PttPort&) = delete;
  PttPort& operator=(const PttPort&) = delete;

  // "Set comport": releases the open port (unkeyed), then opens the device that the typed text
  // names and unkeys it. False when nothing could be opened; no port is open then.
  bool setComport(const std::string& portText);

  // "TX": asserts DTR, then RTS. Without an open port nothing happens.
  void transmit();

  // "RX": drops DTR, then RTS. Without an open port nothing happens.
  void receive();

  // End of the program: unkeys and releases the port, so that the radio is never left keyed.
  void shutdown();

  // True while a port is open.
  bool isOpen() const;

 private:
  // Sets both lines, DTR first; a line the device refuses does not stop the other.
  void setLines(bool asserted);

  SerialLines& lines_;
};

}  // namespace mosaic
