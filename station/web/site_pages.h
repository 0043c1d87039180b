#pragma once
// The HTML and JSON of the station's web page, filled in from the pictures folder and the
// station's status. Everything taken from outside is escaped here.

#include "station/web/picture_folder.h"
#include "station/web/station_status.h"

#include <QDateTime>

#include <cstdint>
#include <string>

namespace mosaic::web {

// The newest aligned picture as the page knows it: its number (0 before the first) and when it
// was published.
struct LivePicture {
  std::uint64_t number = 0;
  QDateTime publishedUtc;
};

// The status as JSON for the page's script and for programs that follow the station; `gallery`
// changes whenever the saved pictures do.
std::string statusJson(const StationStatus& status, const LivePicture& live,
                       const std::string& gallery, const QDateTime& nowUtc);

// Something that changes whenever the list of saved pictures does.
std::string galleryStamp(const std::vector<std::string>& names);

// Page `page` (from 1) of the saved pictures, newest first, `pageSize` to a page: thumbnails
// that open their details, and links to the pages before and after.
std::string galleryHtml(PictureFolder& folder, int page, int pageSize);

// `templateHtml` with each "{{key}}" replaced by its value (already HTML).
std::string fillTemplate(const std::string& templateHtml,
                         const std::vector<std::pair<std::string, std::string>>& values);

// The title and the details table of picture `name`.
std::string pictureTitle(const PictureFolder::Details& details, const std::string& name);
std::string detailsTableHtml(const PictureFolder::Details& details);

}  // namespace mosaic::web
