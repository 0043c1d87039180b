#pragma once
// A transceiver keyed with its own commands (through Hamlib), as the push-to-talk switch uses it:
// opened, keyed and unkeyed, asked whether it is transmitting, and closed.

#include <string>

#include "pttswitch/port_device_path.h"
#include "pttswitch/ptt_reading.h"

namespace mosaic {

class RigControl {
 public:
  virtual ~RigControl() = default;

  // Opens the rig at address; false when that fails, with the reason in whyNot.
  virtual bool open(const RigAddress& address, std::string& whyNot) = 0;

  // True while a rig is open.
  virtual bool isOpen() const = 0;

  // Keys or unkeys the transmitter. False only when the rig could not be reached; a rig that is
  // reached but refuses the command counts as reached, and refusal then says why in words.
  virtual bool setPtt(bool keyed, std::string& refusal) = 0;

  // Asks the rig whether it is transmitting.
  virtual PttReading readPtt() = 0;

  // Releases the rig without changing its state. Does nothing when none is open.
  virtual void close() = 0;
};

}  // namespace mosaic
