#pragma once
// Text from outside the program (file names, text chunks of pictures, the rig's mode) put into
// the page's HTML so that it always stays text.

#include <QString>

#include <string>
#include <string_view>

namespace mosaic::web {

// `text` with &, <, >, " and ' written as character references, as UTF-8.
std::string escapeHtml(const QString& text);

// Bytes of a file name as text to show: invalid UTF-8 becomes the replacement character.
QString displayName(std::string_view bytes);

// A file name as one segment of a URL path: every byte outside letters, digits and -._~ is
// percent-encoded, so the segment can hold no / and reaches the server as the same bytes.
std::string urlSegment(std::string_view bytes);

}  // namespace mosaic::web
