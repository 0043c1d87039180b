#pragma once
// Which device the operator means by the text typed into the port box: a serial port whose DTR
// and RTS lines key the transceiver, or a transceiver that Hamlib keys with its own commands.

#include "rig/rig_address.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace mosaic {

// A serial device whose DTR and RTS lines key the transceiver.
struct SerialAddress {
  std::string devicePath;
  bool operator==(const SerialAddress&) const = default;
};

using PortAddress = std::variant<SerialAddress, RigAddress>;

// The device path for the typed text, taken exactly as typed (no trimming):
//   a port number n (1, 2, ...)     -> /dev/ttyS(n-1), so port 1 is the first serial port;
//   a text starting with "/"        -> that path;
//   a terminal name such as ttyUSB0 -> /dev/ttyUSB0.
// Anything else names no device and gives nothing.
std::optional<std::string> devicePathForPortText(std::string_view text);

// The port for the typed text, also taken exactly as typed:
//   the serial names above;
//   the rig names of rigAddressForText: "rigctld[:HOST[:PORT]]", "hamlib:MODEL@DEVICE[,BAUD]".
// Anything else gives nothing.
std::optional<PortAddress> portAddressForText(std::string_view text);

}  // namespace mosaic
