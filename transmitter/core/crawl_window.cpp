#include "transmitter/core/crawl_window.h"

#include "transmitter/core/crawl_text.h"

#include <algorithm>
#include <vector>

namespace mosaic {

std::string advanceCrawl(CrawlState& state, const std::string& text) {
  // Positions count characters; the text is UTF-8, so a character may take several bytes.
  const std::vector<std::size_t> starts = characterStarts(text);
  const auto length = static_cast<std::int32_t>(starts.size());
  // The bytes of characters [first, first + count), clipped to the text.
  const auto characters = [&](std::int32_t first, std::int32_t count) {
    const std::int32_t end = std::min(first + count, length);
    if (first >= end) return std::string();
    const std::size_t from = starts[static_cast<std::size_t>(first)];
    const std::size_t to = end < length ? starts[static_cast<std::size_t>(end)] : text.size();
    return text.substr(from, to - from);
  };
  if (!state.crawlOn) state.crawlPosition = 0;
  // At the last position, and also past it (the file now holds a shorter text, or none), the
  // window starts again: otherwise the position would grow for ever and the crawl stand still.
  if (state.crawlPosition >= length - 1) state.crawlPosition = 0;
  if (!state.crawlOn) return {};
  ++state.crawlPosition;

  const std::int32_t p = state.crawlPosition;
  if (p <= length - 11) return characters(p - 1, kCrawlWindowLength);
  // The tail after position p, then the start of the text again (at most all of it), as many
  // characters as the window holds.
  const std::int32_t tail = std::max(0, length - p);
  const std::int32_t fromStart = std::min({p + 12 - length, length, kCrawlWindowLength - tail});
  return characters(p, tail) + characters(0, fromStart);
}

}  // namespace mosaic
