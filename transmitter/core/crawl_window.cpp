#include "transmitter/core/crawl_window.h"

#include <algorithm>

namespace mosaic {

std::string advanceCrawl(CrawlState& state, const std::string& text) {
  const auto length = static_cast<std::int32_t>(text.size());
  if (!state.crawlOn) state.crawlPosition = 0;
  // At the last position, and also past it (the file now holds a shorter text, or none), the
  // window starts again: otherwise the position would grow for ever and the crawl stand still.
  if (state.crawlPosition >= length - 1) state.crawlPosition = 0;
  if (!state.crawlOn) return {};
  ++state.crawlPosition;

  const std::int32_t p = state.crawlPosition;
  std::string extract;
  if (p <= length - 11) {
    extract = text.substr(static_cast<std::size_t>(p - 1), 12);
  } else {
    // The tail after position p, then the start of the text again (at most all of it).
    if (p < length) extract = text.substr(static_cast<std::size_t>(p));
    extract += text.substr(0, static_cast<std::size_t>(std::min(p + 12 - length, length)));
  }
  if (extract.size() > kCrawlWindowLength) extract.resize(kCrawlWindowLength);
  return extract;
}

}  // namespace mosaic
