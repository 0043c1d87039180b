#pragma once
// The two modem-control lines of a serial device, as the push-to-talk switch uses them: the port
// is held open exclusively and only DTR and RTS are changed; no data is sent or received.

#include <string>

#include "pttswitch/ptt_reading.h"

namespace mosaic {

enum class ModemLine { Dtr, Rts };

class SerialLines {
 public:
  virtual ~SerialLines() = default;

  // Opens the device at devicePath for reading and writing, held exclusively, leaving its baud
  // rate, byte format and timeouts alone. False when it is missing, busy or not a serial device;
  // whyNot then says which, in words for the operator.
  virtual bool open(const std::string& devicePath, std::string& whyNot) = 0;

  // True while a device is open.
  virtual bool isOpen() const = 0;

  // Asserts or drops one line as one read-modify-write of the modem-control state; the other
  // line keeps its level. False when no device is open or the device refuses.
  virtual bool setLine(ModemLine line, bool asserted) = 0;

  // Reads both lines back: Keyed when both are asserted, Unkeyed when both are dropped,
  // Unreachable when the device has gone away (a USB adapter pulled out), else Unknown.
  virtual PttReading readLines() const = 0;

  // Releases the device; the lines are left as they are. Does nothing when none is open.
  virtual void close() = 0;
};

}  // namespace mosaic
