#include "transmitter/app/picture_grab.h"

#include "transmitter/app/video_area.h"

namespace mosaic {

void grabComposedPicture(ComposedVideoArea& area, CrawlState& crawl, const std::string& crawlText,
                         GrabBitmap& out) {
  area.drawOverlays(crawl, crawlText);
  grabFromImage(area.image(), out);
}

void buildComposedFrame(TransmitChain& chain, ComposedVideoArea& area, CrawlState& crawl,
                        const std::string& crawlText, std::int16_t* frame) {
  chain.buildFrame([&](GrabBitmap& bitmap) { grabComposedPicture(area, crawl, crawlText, bitmap); },
                   frame);
}

}  // namespace mosaic
