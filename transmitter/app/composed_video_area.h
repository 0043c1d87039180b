#pragma once
// The video area as the program composes it: the source's picture (160 x 128 at the top left of
// the client area) with the overlays of the last grab on top. The window shows this image and
// the grab copies from it, so what is sent is exactly what the operator sees.

#include "transmitter/app/video_area.h"
#include "transmitter/core/crawl_window.h"

#include <QImage>

#include <string>

namespace mosaic {

class ComposedVideoArea {
 public:
  // Wider than the video area: crawl characters may reach past its right edge, as they do
  // on the window (they are never grabbed).
  static constexpr int kWidth = 256;  // [px]
  static constexpr int kHeight = kVideoAreaHeight;

  ComposedVideoArea();

  // Shows a new picture from the source (scaled to fill 160 x 128); a null image shows the
  // empty area. The overlays of the last grab stay on top.
  void setSourcePicture(const QImage& picture);

  // The overlay step of one frame: moves the crawl on for `crawlText` and redraws the crawl
  // window (when on) and the marker frame, replacing the overlays of the previous frame.
  void drawOverlays(CrawlState& crawl, const std::string& crawlText);

  // The composed image in client coordinates; transparent where nothing is shown.
  const QImage& image() const { return composed_; }

 private:
  void compose();

  QImage source_;   // 160 x 128
  QImage overlay_;  // kWidth x kHeight, transparent but for the overlays
  QImage composed_;
};

}  // namespace mosaic
