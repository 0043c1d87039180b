#pragma once
// The crawl text: the first field of the station's text file "TESTPATT.INI", read afresh at
// every frame so that editing the file while transmitting takes effect at the next frame.
//
// Crawl texts are held as UTF-8. The file is read as UTF-8 when it is valid UTF-8 (the normal
// case on Linux; a leading byte-order mark is dropped) and as Windows-1252 otherwise (files
// written on Windows), so that "Grüße" is shown as written either way.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mosaic {

inline constexpr const char* kCrawlTextFileName = "TESTPATT.INI";  // in the current directory
inline constexpr std::size_t kMaxCrawlText = 255;        // [characters] longer fields are cut
inline constexpr const char* kSlashedZero = "\xC3\x98";  // U+00D8, shown for every digit zero

// The file's bytes as UTF-8 text: unchanged when they are valid UTF-8 (an incomplete character
// at the very end is dropped when `truncated`, the file having been longer than what was read),
// otherwise each byte read as Windows-1252.
std::string crawlFileText(std::string_view bytes, bool truncated = false);

// Where each character of the UTF-8 `text` starts, in bytes.
std::vector<std::size_t> characterStarts(std::string_view text);

// The first field of the UTF-8 file text `text`: leading spaces skipped; a field opened by a
// double quote runs to the next double quote (commas and line ends included); otherwise it ends
// at a comma, a carriage return, the end-of-file character 0x1A or the end, and line feeds and
// tabs inside it are dropped. Cut to 255 characters.
std::string firstCrawlField(std::string_view text);

// The text as the crawl shows it: cut to 255 characters, every digit zero replaced by a
// slashed O.
std::string prepareCrawlText(std::string_view field);

// Reads the file at `path` and returns its prepared crawl text; empty when the file is missing
// or cannot be read.
std::string readCrawlText(const std::string& path = kCrawlTextFileName);

}  // namespace mosaic
