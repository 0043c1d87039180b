#include "tools/quality/picture_error.h"

#include "signal/carrier_plan.h"

#include <algorithm>
#include <cstdlib>

namespace mosaic::tool {

namespace {
constexpr std::size_t kBytesPerSymbol = kUsedSlots * 3;
// Bytes of one symbol that belong to the luminance slots (10..45); the colour slots follow.
constexpr std::size_t kLumaBytes = (kFirstColourSlot - kFirstUsedSlot) * 3;
}  // namespace

void PictureErrorSum::add(std::span<const std::uint8_t> received,
                          std::span<const std::uint8_t> perfect) {
  const std::size_t symbols = std::min(received.size(), perfect.size()) / kBytesPerSymbol;
  for (std::size_t s = 0; s < symbols; ++s) {
    const std::uint8_t* r = received.data() + s * kBytesPerSymbol;
    const std::uint8_t* q = perfect.data() + s * kBytesPerSymbol;
    long luma = 0, colour = 0;
    for (std::size_t i = 0; i < kLumaBytes; ++i) luma += std::abs(r[i] - q[i]);
    for (std::size_t i = kLumaBytes; i < kBytesPerSymbol; ++i) colour += std::abs(r[i] - q[i]);
    lumaSum_ += static_cast<double>(luma);
    colourSum_ += static_cast<double>(colour);
  }
  lumaCount_ += symbols * kLumaBytes;
  colourCount_ += symbols * (kBytesPerSymbol - kLumaBytes);
  ++runs_;
}

PictureError PictureErrorSum::mean() const {
  PictureError e;
  if (lumaCount_ > 0) e.luma = lumaSum_ / static_cast<double>(lumaCount_);
  if (colourCount_ > 0) e.colour = colourSum_ / static_cast<double>(colourCount_);
  return e;
}

}  // namespace mosaic::tool
