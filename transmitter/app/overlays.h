#pragma once
// What the transmitter draws over its video area just before each grab: the crawl window
// (blue on light grey at client point 32, 75) and the yellow marker frame around the part of
// the area that is sent.

#include <QFont>
#include <QRect>
#include <QString>

#include <string>

class QPainter;

namespace mosaic {

inline constexpr QPoint kCrawlTextOrigin{32, 75};  // [px] top-left of the first character cell

// The crawl's UTF-8 text as Qt's; control characters such as line ends inside a quoted field
// show as blanks.
QString crawlBytesToText(const std::string& bytes);

// "Arial" bold italic with 18-pixel characters, rendered without smoothing so that the window
// and the mosaic tool draw exactly the same pixels on any display.
QFont crawlFont();

// The crawl window's character cells: filled light grey, characters in blue.
void drawCrawlWindow(QPainter& painter, const std::string& window);

// The yellow outline, 2 px wide, through (32, 20), (32, 96), (130, 96) and (130, 20): it
// covers client rows 19..20 and 95..96 and columns 31..32 and 129..130, all outside what is
// sent (rows 22..93, columns 34..127).
void drawMarkerFrame(QPainter& painter);

}  // namespace mosaic
