#pragma once
// The whole transmit chain from the composed picture to the samples of one frame, as one object
// that the transmitter window, `mosaic encode` and `mosaic demo` all run, so that they put the
// same samples on the air for the same picture: grab, reduction to the picture planes, synthesis.
// Everything is allocated once, when the chain is made.

#include "transmitter/core/frame_synthesizer.h"
#include "transmitter/core/grab_bitmap.h"
#include "transmitter/core/picture_planes.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace mosaic {

class TransmitChain {
 public:
  // Copies this frame's picture (the video area with its overlays) into the grab bitmap.
  using GrabSource = std::function<void(GrabBitmap&)>;

  TransmitChain();

  // One frame into `frame` (kFrameSamples samples): the grab from `source`, its reduction to
  // the planes and the synthesis. Without a source the planes are all 0.
  void buildFrame(const GrabSource& source, std::int16_t* frame);

  // The pixels of the latest grab and the planes of the latest frame.
  const GrabBitmap& bitmap() const { return *bitmap_; }
  const PicturePlanes& planes() const { return *planes_; }

 private:
  std::unique_ptr<GrabBitmap> bitmap_;
  std::unique_ptr<PicturePlanes> planes_;
  FrameSynthesizer synthesizer_;
};

}  // namespace mosaic
