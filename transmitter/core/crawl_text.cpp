#include "transmitter/core/crawl_text.h"

#include <cstdio>
#include <memory>

namespace mosaic {

namespace {

constexpr char kQuote = '"';
constexpr char kEndOfFile = '\x1A';

// Reads at most this much of the file: enough for the first field even when it is padded with
// spaces or line feeds, without reading a large file that is not a crawl text at all.
constexpr std::size_t kMaxRead = 64 * 1024;

// Windows-1252's characters for the bytes 0x80..0x9F; its other bytes are those of Latin-1.
// The five bytes it leaves undefined keep their own code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The length of the valid UTF-8 character at the start of `s`: 0 when it is not one, -1 when
// `s` ends inside a character that may still be valid.
int utf8Length(std::string_view s) {
  const auto b = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = b(0);
  if (lead < 0x80) return 1;
  int length;
  char32_t min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000;
  } else {
    return 0;
  }
  char32_t c = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if (static_cast<std::size_t>(i) >= s.size()) return -1;
    if ((b(static_cast<std::size_t>(i)) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b(static_cast<std::size_t>(i)) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

// Cuts UTF-8 `text` to at most kMaxCrawlText characters.
void cutToMaxCharacters(std::string& text) {
  const auto starts = characterStarts(text);
  if (starts.size() > kMaxCrawlText) text.resize(starts[kMaxCrawlText]);
}

}  // namespace

std::string crawlFileText(std::string_view bytes, bool truncated) {
  std::size_t i = 0;
  bool valid = true;
  while (i < bytes.size()) {
    const int length = utf8Length(bytes.substr(i));
    if (length == -1 && truncated) {
      bytes = bytes.substr(0, i);
      break;
    }
    if (length <= 0) {
      valid = false;
      break;
    }
    i += static_cast<std::size_t>(length);
  }
  if (valid) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return std::string(bytes);
  }
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    appendUtf8(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b, text);
  }
  return text;
}

std::vector<std::size_t> characterStarts(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
  return starts;
}

std::string firstCrawlField(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::string field;
  if (i < text.size() && text[i] == kQuote) {
    for (++i; i < text.size() && text[i] != kQuote && text[i] != kEndOfFile; ++i) field += text[i];
  } else {
    for (; i < text.size(); ++i) {
      const char c = text[i];
      if (c == ',' || c == '\r' || c == kEndOfFile) break;
      if (c == '\n' || c == '\t') continue;
      field += c;
    }
  }
  cutToMaxCharacters(field);
  return field;
}

std::string prepareCrawlText(std::string_view field) {
  std::string text(field);
  cutToMaxCharacters(text);
  std::string shown;
  shown.reserve(text.size() + 8);
  for (const char c : text) {
    if (c == '0')
      shown += kSlashedZero;
    else
      shown += c;
  }
  return shown;
}

std::string readCrawlText(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) return {};
  std::string bytes(kMaxRead, '\0');
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
  bytes.resize(got);
  return prepareCrawlText(firstCrawlField(crawlFileText(bytes, got == kMaxRead)));
}

}  // namespace mosaic
