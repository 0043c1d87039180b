#include "rig/rig_address.h"

#include <algorithm>

namespace mosaic {

namespace {

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number without sign or leading zero, up to maxDigits digits.
std::optional<int> plainNumber(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits || text.front() == '0' ||
      !std::all_of(text.begin(), text.end(), isAsciiDigit)) {
    return std::nullopt;
  }
  return std::stoi(std::string(text));
}

// Printable ASCII without blanks: what a host name, an address or a device path may hold here.
bool isPlainText(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 127; });
}

// "HOST[:PORT]" after "rigctld:"; an IPv6 address goes in brackets ("[::1]:4532").
std::optional<RigAddress> rigctldAddress(std::string_view hostAndPort) {
  std::string_view host = hostAndPort;
  std::string_view port;
  const std::size_t hostEnd = host.front() == '[' ? host.find(']') : host.find(':');
  if (host.front() == '[') {
    if (hostEnd == std::string_view::npos) return std::nullopt;
    host = hostAndPort.substr(0, hostEnd + 1);
    const std::string_view rest = hostAndPort.substr(hostEnd + 1);
    if (!rest.empty() && rest.front() != ':') return std::nullopt;
    if (!rest.empty()) port = rest.substr(1);
    if (!rest.empty() && port.empty()) return std::nullopt;
  } else if (hostEnd != std::string_view::npos) {
    host = hostAndPort.substr(0, hostEnd);
    port = hostAndPort.substr(hostEnd + 1);
    if (port.empty()) return std::nullopt;
  }
  if (!isPlainText(host)) return std::nullopt;
  int portNumber = kRigctldDefaultPort;
  if (!port.empty()) {
    const auto number = plainNumber(port, 5);
    if (!number || *number > 65535) return std::nullopt;
    portNumber = *number;
  }
  return RigAddress{kRigctldModel, std::string(host) + ":" + std::to_string(portNumber), 0};
}

// "MODEL@DEVICE[,BAUD]" after "hamlib:".
std::optional<RigAddress> hamlibAddress(std::string_view text) {
  const std::size_t at = text.find('@');
  if (at == std::string_view::npos) return std::nullopt;
  const auto model = plainNumber(text.substr(0, at), 6);
  std::string_view device = text.substr(at + 1);
  int baudRate = 0;
  if (const std::size_t comma = device.rfind(','); comma != std::string_view::npos) {
    const auto baud = plainNumber(device.substr(comma + 1), 7);
    if (!baud) return std::nullopt;
    baudRate = *baud;
    device = device.substr(0, comma);
  }
  if (!model || !isPlainText(device)) return std::nullopt;
  return RigAddress{*model, std::string(device), baudRate};
}

}  // namespace

std::optional<RigAddress> rigAddressForText(std::string_view text) {
  constexpr std::string_view rigctld = "rigctld";
  constexpr std::string_view hamlib = "hamlib:";
  if (text == rigctld) {
    return RigAddress{kRigctldModel,
                      std::string(kRigctldDefaultHost) + ":" + std::to_string(kRigctldDefaultPort),
                      0};
  }
  if (text.size() > rigctld.size() + 1 && text.substr(0, rigctld.size() + 1) == "rigctld:") {
    return rigctldAddress(text.substr(rigctld.size() + 1));
  }
  if (text.substr(0, hamlib.size()) == hamlib) return hamlibAddress(text.substr(hamlib.size()));
  return std::nullopt;
}

std::string rigPlaceName(const RigAddress& address) {
  return address.model == kRigctldModel
             ? "rigctld at " + address.pathname
             : "rig model " + std::to_string(address.model) + " on " + address.pathname;
}

}  // namespace mosaic
