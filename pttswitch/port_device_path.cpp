#include "pttswitch/port_device_path.h"

#include <algorithm>

namespace mosaic {

namespace {

// More digits than any real port number; keeps the arithmetic far from overflow.
constexpr std::size_t kMaxPortDigits = 6;

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool isAsciiAlnum(char c) {
  return isAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Decimal digits without a leading zero: 1, 2, ... 10, but not 0, 01 or +1.
bool isPortNumber(std::string_view text) {
  return !text.empty() && text.size() <= kMaxPortDigits && text.front() != '0' &&
         std::all_of(text.begin(), text.end(), isAsciiDigit);
}

// "tty" and at least one letter or digit, nothing else: no way out of /dev.
bool isTerminalName(std::string_view text) {
  constexpr std::string_view prefix = "tty";
  return text.size() > prefix.size() && text.substr(0, prefix.size()) == prefix &&
         std::all_of(text.begin() + prefix.size(), text.end(), isAsciiAlnum);
}

}  // namespace

std::optional<std::string> devicePathForPortText(std::string_view text) {
  if (isPortNumber(text)) {
    const int number = std::stoi(std::string(text));
    return "/dev/ttyS" + std::to_string(number - 1);
  }
  if (!text.empty() && text.front() == '/' && text.find('\0') == std::string_view::npos) {
    return std::string(text);
  }
  if (isTerminalName(text)) return "/dev/" + std::string(text);
  return std::nullopt;
}

std::optional<PortAddress> portAddressForText(std::string_view text) {
  if (auto rig = rigAddressForText(text)) return *rig;
  if (auto path = devicePathForPortText(text)) return SerialAddress{*path};
  return std::nullopt;
}

}  // namespace mosaic
