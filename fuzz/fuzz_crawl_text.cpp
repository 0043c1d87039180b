// The station file's bytes through decoding, the field rules and a crawl of every position.

#include "transmitter/core/crawl_text.h"
#include "transmitter/core/crawl_window.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool truncated = size > 0 && (data[0] & 1);
  const std::string text =
      mosaic::prepareCrawlText(mosaic::firstCrawlField(mosaic::crawlFileText(bytes, truncated)));
  if (mosaic::characterStarts(text).size() > mosaic::kMaxCrawlText) __builtin_trap();
  mosaic::CrawlState state{true, 0};
  for (int frame = 0; frame < 60; ++frame) {
    const std::string window = mosaic::advanceCrawl(state, text);
    if (mosaic::characterStarts(window).size() > mosaic::kCrawlWindowLength) __builtin_trap();
    // A window that is no text is never drawn; the text shrinking to it restarts the crawl.
    if (frame == 30) mosaic::advanceCrawl(state, text.substr(0, text.size() / 2));
  }
  return 0;
}
