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

}  // namespace

std::string firstCrawlField(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size() && bytes[i] == ' ') ++i;
  std::string field;
  if (i < bytes.size() && bytes[i] == kQuote) {
    for (++i; i < bytes.size() && bytes[i] != kQuote && bytes[i] != kEndOfFile; ++i)
      field += bytes[i];
  } else {
    for (; i < bytes.size(); ++i) {
      const char c = bytes[i];
      if (c == ',' || c == '\r' || c == kEndOfFile) break;
      if (c == '\n' || c == '\t') continue;
      field += c;
    }
  }
  if (field.size() > kMaxCrawlText) field.resize(kMaxCrawlText);
  return field;
}

std::string prepareCrawlText(std::string_view field) {
  std::string text(field.substr(0, kMaxCrawlText));
  for (char& c : text)
    if (c == '0') c = kSlashedZero;
  return text;
}

std::string readCrawlText(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) return {};
  std::string bytes(kMaxRead, '\0');
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
  bytes.resize(got);
  return prepareCrawlText(firstCrawlField(bytes));
}

}  // namespace mosaic
