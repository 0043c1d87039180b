#pragma once
// Which serial device the operator means by the text typed into the port box.

#include <optional>
#include <string>
#include <string_view>

namespace mosaic {

// The device path for the typed text, taken exactly as typed (no trimming):
//   a port number n (1, 2, ...)     -> /dev/ttyS(n-1), so port 1 is the first serial port;
//   a text starting with "/"        -> that path;
//   a terminal name such as ttyUSB0 -> /dev/ttyUSB0.
// Anything else names no device and gives nothing.
std::optional<std::string> devicePathForPortText(std::string_view text);

}  // namespace mosaic
