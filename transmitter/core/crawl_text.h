#pragma once
// The crawl text: the first field of the station's text file "TESTPATT.INI", read afresh at
// every frame so that editing the file while transmitting takes effect at the next frame.

#include <cstddef>
#include <string>
#include <string_view>

namespace mosaic {

inline constexpr const char* kCrawlTextFileName = "TESTPATT.INI";  // in the current directory
inline constexpr std::size_t kMaxCrawlText = 255;                  // [bytes] longer fields are cut
inline constexpr char kSlashedZero = '\xD8';                       // byte 216, shown as a slashed O

// The first field of the file contents `bytes`, as 8-bit text: leading spaces skipped; a field
// opened by a double quote runs to the next double quote (commas and line ends included);
// otherwise it ends at a comma, a carriage return, the end-of-file byte 0x1A or the end, and
// line feeds and tabs inside it are dropped. Cut to 255 bytes.
std::string firstCrawlField(std::string_view bytes);

// The text as the crawl shows it: cut to 255 bytes, every digit zero replaced by byte 216.
std::string prepareCrawlText(std::string_view field);

// Reads the file at `path` and returns its prepared crawl text; empty when the file is missing
// or cannot be read.
std::string readCrawlText(const std::string& path = kCrawlTextFileName);

}  // namespace mosaic
