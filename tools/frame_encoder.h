#pragma once
// The transmitter's per-frame work for pictures that are already composed: grab, reduction,
// colour conversion and synthesis of one 61440-sample frame.

#include "transmitter/core/frame_synthesizer.h"
#include "transmitter/core/grab_bitmap.h"
#include "transmitter/core/picture_planes.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <vector>

namespace mosaic::tool {

class FrameEncoder {
 public:
  FrameEncoder();
  // The frame for `client`, an image in the transmitter's client coordinates (the video area
  // at the top left, overlays drawn).
  const std::vector<std::int16_t>& encode(const QImage& client);
  // The planes of the last frame.
  const PicturePlanes& planes() const { return *planes_; }

 private:
  FrameSynthesizer synthesizer_;
  std::unique_ptr<GrabBitmap> grab_;
  std::unique_ptr<PicturePlanes> planes_;
  std::vector<std::int16_t> frame_;
};

}  // namespace mosaic::tool
