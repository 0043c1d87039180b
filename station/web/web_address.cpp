#include "station/web/web_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>

namespace mosaic::web {

namespace {

std::optional<int> parsePort(const std::string& text) {
  if (text.empty() || text.size() > 5 ||
      !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
    return std::nullopt;
  const int port = std::stoi(text);
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

bool isNumericAddress(const std::string& host) {
  in6_addr v6{};
  in_addr v4{};
  return inet_pton(AF_INET, host.c_str(), &v4) == 1 || inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

}  // namespace

std::optional<WebAddress> parseWebAddress(const std::string& text, std::string& error) {
  WebAddress address;
  std::string portText = text;
  if (!text.empty() && text.front() == '[') {
    const auto close = text.find("]:");
    if (close == std::string::npos) {
      error = "--web: an IPv6 address is written [ADDRESS]:PORT, not " + text;
      return std::nullopt;
    }
    address.host = text.substr(1, close - 1);
    portText = text.substr(close + 2);
  } else if (const auto colon = text.rfind(':'); colon != std::string::npos) {
    address.host = text.substr(0, colon);
    portText = text.substr(colon + 1);
  }
  if (!isNumericAddress(address.host)) {
    error = "--web: " + address.host + " is not a numeric IPv4 or IPv6 address";
    return std::nullopt;
  }
  const std::optional<int> port = parsePort(portText);
  if (!port) {
    error = "--web: the port must be a number from 1 to 65535, not \"" + portText + "\"";
    return std::nullopt;
  }
  address.port = *port;
  return address;
}

}  // namespace mosaic::web
