#include "transmitter/core/transmit_chain.h"

#include "transmitter/core/grab_reduction.h"

namespace mosaic {

TransmitChain::TransmitChain()
    : bitmap_(std::make_unique<GrabBitmap>()), planes_(std::make_unique<PicturePlanes>()) {}

void TransmitChain::buildFrame(const GrabSource& source, std::int16_t* frame) {
  if (source) {
    source(*bitmap_);
    reduceGrab(*bitmap_, *planes_);
  } else {
    *planes_ = PicturePlanes{};
  }
  synthesizer_.synthesize(*planes_, frame);
}

}  // namespace mosaic
