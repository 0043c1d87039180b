#pragma once
// The crawl: an 11-character window onto the crawl text that moves on by one character per
// transmitted frame while the crawl is switched on.

#include <cstdint>
#include <string>

namespace mosaic {

inline constexpr int kCrawlWindowLength = 11;  // [characters] drawn per frame

struct CrawlState {
  bool crawlOn = false;
  // 1-based position of the window in the text; 0 while the crawl is off.
  std::int32_t crawlPosition = 0;
};

// "Crawl on/off": only flips the switch; nothing is drawn or erased until the next frame.
inline void onCrawlToggle(CrawlState& state) { state.crawlOn = !state.crawlOn; }

// Moves the window on for this frame's `text` and returns the characters to draw (empty when
// the crawl is off). With L characters the positions run 1, 2, ..., L - 1, 1, ...; from
// position L - 10 on, the window shows the text's tail followed by its start, so the start at
// character L - 10 itself is never shown. A position past the end of a text that has become
// shorter starts again at 1.
std::string advanceCrawl(CrawlState& state, const std::string& text);

}  // namespace mosaic
