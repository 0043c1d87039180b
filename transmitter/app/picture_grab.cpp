#include "transmitter/app/picture_grab.h"

#include "transmitter/app/video_area.h"
#include "transmitter/core/grab_reduction.h"

namespace mosaic {

void PictureGrab::grabPicture(ComposedVideoArea& area, CrawlState& crawl,
                              const std::string& crawlText, PicturePlanes& out) {
  area.drawOverlays(crawl, crawlText);
  grabFromImage(area.image(), *bitmap_);
  reduceGrab(*bitmap_, out);
}

}  // namespace mosaic
