#pragma once
// What the radio says about its transmitter after a keying command.

namespace mosaic {

enum class PttReading {
  Keyed,        // the radio confirms it is transmitting
  Unkeyed,      // the radio confirms it is receiving
  Unknown,      // the radio cannot tell (or its answer is not a plain yes or no)
  Unreachable,  // the connection to the radio is gone
};

}  // namespace mosaic
