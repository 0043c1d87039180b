#pragma once
// Where the station's web page listens: `--web [ADDR:]PORT`. Nothing is exposed unless the
// operator names an address: without one the page listens on the loopback address only.

#include <optional>
#include <string>

namespace mosaic::web {

struct WebAddress {
  std::string host = "127.0.0.1";  // a numeric IPv4 or IPv6 address
  int port = 0;                    // 0 lets the system choose a free port
};

// "8080", "192.168.1.20:8080", "0.0.0.0:8080", "[::1]:8080". Returns nullopt with `error` set
// when the text is none of these or the port is outside 1..65535.
std::optional<WebAddress> parseWebAddress(const std::string& text, std::string& error);

}  // namespace mosaic::web
