#pragma once
// The transmitter's picture for one frame, as the window and the mosaic tool both take it: this
// frame's overlays are drawn on the composed video area, then its grab area is copied. The
// transmit chain reduces and sends what this copies.

#include "transmitter/app/composed_video_area.h"
#include "transmitter/core/crawl_window.h"
#include "transmitter/core/grab_bitmap.h"
#include "transmitter/core/transmit_chain.h"

#include <cstdint>
#include <string>

namespace mosaic {

// Moves the crawl on for `crawlText`, redraws the overlays on `area` and copies its grab area.
void grabComposedPicture(ComposedVideoArea& area, CrawlState& crawl, const std::string& crawlText,
                         GrabBitmap& out);

// The samples of one frame for the composed area (kFrameSamples into `frame`): the grab above,
// then the rest of `chain`.
void buildComposedFrame(TransmitChain& chain, ComposedVideoArea& area, CrawlState& crawl,
                        const std::string& crawlText, std::int16_t* frame);

}  // namespace mosaic
