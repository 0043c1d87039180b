#pragma once
// "[HOST:]PORT" as the operator writes a network address on the command line: a port alone, a
// host name or IPv4 address and a port, or an IPv6 address in brackets and a port ("[::1]:7355").

#include <optional>
#include <string>
#include <string_view>

namespace mosaic::station {

struct HostPort {
  std::string host;  // as written, without brackets
  int port = 0;      // 1..65535 as written; 0 lets the system choose a free port to listen on
  bool operator==(const HostPort&) const = default;
};

// The address `text` names, with `defaultHost` when it names a port only; nothing when it is not
// of that form or the port is outside 1..65535.
std::optional<HostPort> parseHostPort(std::string_view text, std::string_view defaultHost);

}  // namespace mosaic::station
