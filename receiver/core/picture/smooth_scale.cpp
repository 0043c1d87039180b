#include "receiver/core/picture/smooth_scale.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace mosaic {

int sourcePosition256(int target, int size, int sourceSize) {
  // The centre of target pixel t lies at (t + 1/2) * sourceSize / size source pixels, which is
  // half a pixel right of the source centre it is counted from.
  const long long twice = 2LL * size;
  const long long at = ((2LL * target + 1) * sourceSize * 256 + size) / twice - 128;
  return static_cast<int>(std::clamp<long long>(at, 0, 256LL * (sourceSize - 1)));
}

void SmoothScaler::setSizes(int sourceWidth, int sourceHeight, int width, int height) {
  sourceWidth = std::max(sourceWidth, 1);
  sourceHeight = std::max(sourceHeight, 1);
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (sourceWidth == sourceWidth_ && width == width_) {
    sourceHeight_ = sourceHeight;
    height_ = height;
    return;
  }
  sourceWidth_ = sourceWidth;
  sourceHeight_ = sourceHeight;
  width_ = width;
  height_ = height;
  const auto n = static_cast<std::size_t>(width);
  columnWeights_.resize(n);
  upper_.resize(n);
  lower_.resize(n);
  base_.resize(4 * n);
  step_.resize(4 * n);
  spanEnds_.assign(static_cast<std::size_t>(sourceWidth), 0);
  for (int x = 0; x < width; ++x) {
    const int at = sourcePosition256(x, width, sourceWidth);
    columnWeights_[static_cast<std::size_t>(x)] = at & 255;
    spanEnds_[static_cast<std::size_t>(at >> 8)] = x + 1;
  }
  // Source columns that no target column starts from end where the one before them does.
  for (int column = 1; column < sourceWidth; ++column) {
    auto& end = spanEnds_[static_cast<std::size_t>(column)];
    end = std::max(end, spanEnds_[static_cast<std::size_t>(column - 1)]);
  }
}

void SmoothScaler::widenRow(const std::uint8_t* rgb, int row, std::uint32_t* out) const {
  // Between two neighbouring source pixels a and b only the weight changes. Each 16-bit half
  // of a pixel's red-blue and alpha-green pairs is 256 a + 128 + (b - a) weight, always within
  // 0..65408, so both halves are made with one 32-bit multiply and add (the lower half never
  // carries into or borrows from the upper one).
  const std::uint8_t* left = rgb + static_cast<std::ptrdiff_t>(3) * sourceWidth_ * row;
  int x = 0;
  for (int column = 0; column < sourceWidth_; ++column, left += 3) {
    const std::uint8_t* right = column + 1 < sourceWidth_ ? left + 3 : left;
    const std::uint32_t redBlue = std::uint32_t{left[0]} << 16 | left[2];
    const std::uint32_t greenAlpha = 0x00ff0000u | left[1];
    const std::uint32_t redBlueBase = (redBlue << 8) + 0x00800080u;
    const std::uint32_t greenAlphaBase = (greenAlpha << 8) + 0x00800080u;
    const std::uint32_t redBlueStep =
        (std::uint32_t{right[0]} - left[0]) * 0x10000u + (std::uint32_t{right[2]} - left[2]);
    const std::uint32_t greenStep = std::uint32_t{right[1]} - left[1];
    const int end = spanEnds_[static_cast<std::size_t>(column)];
    for (; x < end; ++x) {
      const auto weight = static_cast<std::uint32_t>(columnWeights_[static_cast<std::size_t>(x)]);
      out[x] = ((redBlueBase + redBlueStep * weight) >> 8 & 0x00ff00ffu) |
               ((greenAlphaBase + greenStep * weight) & 0xff00ff00u);
    }
  }
}

void SmoothScaler::preparePair() {
  const auto* a = reinterpret_cast<const std::uint8_t*>(upper_.data());
  const auto* b = reinterpret_cast<const std::uint8_t*>(lower_.data());
  const int levels = 4 * width_;
  for (int i = 0; i < levels; ++i) {
    const auto at = static_cast<std::size_t>(i);
    base_[at] = static_cast<std::uint16_t>((a[i] << 8) + 128);
    step_[at] = static_cast<std::uint16_t>(b[i] - a[i]);
  }
}

void SmoothScaler::scale(const std::uint8_t* rgb, std::uint32_t* out, std::ptrdiff_t outStride) {
  scaleRows(rgb, 0, height_, out, outStride, false);
}

void SmoothScaler::scaleRows(const std::uint8_t* rgb, int first, int count, std::uint32_t* out,
                             std::ptrdiff_t outStride, bool continuing) {
  if (width_ <= 0) return;
  first = std::clamp(first, 0, height_);
  const int end = std::clamp(first + count, first, height_);
  if (!continuing || first != nextRow_ || rgb != source_) {
    upperRow_ = -1;
    lowerRow_ = -1;
    pairPrepared_ = false;
  }
  source_ = rgb;
  nextRow_ = end;
  for (int y = first; y < end; ++y, out += outStride) {
    const int at = sourcePosition256(y, height_, sourceHeight_);
    const int top = at >> 8;
    const int bottom = std::min(top + 1, sourceHeight_ - 1);
    const auto weight = static_cast<unsigned>(at & 255);
    // Going down, the lower row becomes the upper one: each source row is widened once.
    if (top != upperRow_) {
      if (top == lowerRow_) {
        std::swap(upper_, lower_);
        lowerRow_ = -1;
      } else {
        widenRow(rgb, top, upper_.data());
      }
      upperRow_ = top;
      pairPrepared_ = false;
    }
    if (weight == 0) {
      std::memcpy(out, upper_.data(), sizeof(std::uint32_t) * static_cast<std::size_t>(width_));
      continue;
    }
    if (bottom != lowerRow_) {
      widenRow(rgb, bottom, lower_.data());
      lowerRow_ = bottom;
      pairPrepared_ = false;
    }
    if (!pairPrepared_) {
      preparePair();
      pairPrepared_ = true;
    }
    blendRow(base_.data(), step_.data(), weight, reinterpret_cast<std::uint8_t*>(out), 4 * width_);
  }
}

}  // namespace mosaic
