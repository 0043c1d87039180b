#pragma once
// The transmitter's picture for one frame (grabPicture): the overlays are drawn on the
// composed video area, then its grab area is copied, reduced and converted to the planes.

#include "transmitter/app/composed_video_area.h"
#include "transmitter/core/crawl_window.h"
#include "transmitter/core/grab_bitmap.h"
#include "transmitter/core/picture_planes.h"

#include <memory>
#include <string>

namespace mosaic {

class PictureGrab {
 public:
  PictureGrab() : bitmap_(std::make_unique<GrabBitmap>()) {}

  // Overlays (with this frame's crawl text), grab, reduction: the planes of one frame.
  void grabPicture(ComposedVideoArea& area, CrawlState& crawl, const std::string& crawlText,
                   PicturePlanes& out);

  // The pixels of the last grab.
  const GrabBitmap& bitmap() const { return *bitmap_; }

 private:
  std::unique_ptr<GrabBitmap> bitmap_;
};

}  // namespace mosaic
