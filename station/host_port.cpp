#include "station/host_port.h"

#include <algorithm>

namespace mosaic::station {

namespace {

std::optional<int> portNumber(std::string_view text) {
  if (text.empty() || text.size() > 5 || text.front() == '0' ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int port = std::stoi(std::string(text));
  if (port > 65535) return std::nullopt;
  return port;
}

// Printable ASCII without blanks, brackets or slashes: what a host name or an address may hold.
bool isHostText(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return c > ' ' && c < 127 && c != '[' && c != ']' && c != '/';
  });
}

}  // namespace

std::optional<HostPort> parseHostPort(std::string_view text, std::string_view defaultHost) {
  std::string_view host = defaultHost;
  std::string_view port = text;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find("]:");
    if (close == std::string_view::npos) return std::nullopt;
    host = text.substr(1, close - 1);
    port = text.substr(close + 2);
    if (host.find(':') == std::string_view::npos) return std::nullopt;  // brackets are for IPv6
  } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.find(':') != std::string_view::npos) return std::nullopt;  // IPv6 needs brackets
  }
  const auto number = portNumber(port);
  if (!number || !isHostText(host)) return std::nullopt;
  return HostPort{std::string(host), *number};
}

}  // namespace mosaic::station
