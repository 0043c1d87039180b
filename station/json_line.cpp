#include "station/json_line.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace mosaic::station {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned int code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(i) & 0x3Fu);
  }
  // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
  const unsigned int least = length == 2 ? 0x80u : length == 3 ? 0x800u : 0x10000u;
  if (code < least || (code >= 0xD800u && code <= 0xDFFFu) || code > 0x10FFFFu) return 0;
  return length;
}

}  // namespace

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t length = utf8Length(text.substr(i));
      if (length == 0) {
        out += kReplacement;
        ++i;
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          static const char hex[] = "0123456789abcdef";
          out += "\\u00";
          out += hex[c >> 4];
          out += hex[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  return out + "\"";
}

void JsonLine::key(std::string_view name) {
  if (!members_.empty()) members_ += ',';
  members_ += jsonString(name);
  members_ += ':';
}

JsonLine& JsonLine::text(std::string_view name, std::string_view value) {
  key(name);
  members_ += jsonString(value);
  return *this;
}

JsonLine& JsonLine::number(std::string_view name, double value, int decimals) {
  key(name);
  if (!std::isfinite(value)) {
    members_ += "null";
    return *this;
  }
  char digits[64];
  const auto result =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) {
    members_ += "null";
    return *this;
  }
  std::string_view written(digits, static_cast<std::size_t>(result.ptr - digits));
  // "-0.00" says nothing "0.00" does not.
  if (written.front() == '-' && written.find_first_not_of("-0.") == std::string_view::npos)
    written.remove_prefix(1);
  members_.append(written);
  return *this;
}

JsonLine& JsonLine::integer(std::string_view name, long long value) {
  key(name);
  members_ += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::boolean(std::string_view name, bool value) {
  key(name);
  members_ += value ? "true" : "false";
  return *this;
}

JsonLine& JsonLine::append(const JsonLine& other) {
  if (!other.members_.empty()) {
    if (!members_.empty()) members_ += ',';
    members_ += other.members_;
  }
  return *this;
}

}  // namespace mosaic::station
