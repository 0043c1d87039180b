#include "tools/frame_encoder.h"

#include "transmitter/app/video_area.h"
#include "transmitter/core/grab_reduction.h"

namespace mosaic::tool {

FrameEncoder::FrameEncoder()
    : grab_(std::make_unique<GrabBitmap>()),
      planes_(std::make_unique<PicturePlanes>()),
      frame_(kFrameSamples) {}

const std::vector<std::int16_t>& FrameEncoder::encode(const QImage& client) {
  grabFromImage(client, *grab_);
  reduceGrab(*grab_, *planes_);
  synthesizer_.synthesize(*planes_, frame_.data());
  return frame_;
}

}  // namespace mosaic::tool
