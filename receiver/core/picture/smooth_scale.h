#pragma once
// Smooth (bilinear) enlargement of a small picture to any larger size, for the aligned view.
//
// The aligned frame is tiny (141 x 108) and a window may be 4K, so the work is laid out for a
// large factor: each source row is widened once to the target width, and every target row is a
// blend of the two widened rows around it, a loop over contiguous pixels that compilers turn
// into vector code. Pixel centres map onto pixel centres; beyond the outermost source centres
// the edge pixels continue. Weights are in 256ths, each blend rounded to the nearest level.
//
// The result is in the window system's 32-bit form (0xffRRGGBB in native order), so it is drawn
// without conversion.

#include "receiver/core/picture/row_blend.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mosaic {

class SmoothScaler {
 public:
  // Prepares for `sourceWidth` x `sourceHeight` pictures scaled to `width` x `height` (all at
  // least 1); allocates only when a size changes.
  void setSizes(int sourceWidth, int sourceHeight, int width, int height);

  // Scales `rgb` (top-down rows of red, green, blue bytes, 3 * sourceWidth per row) into `out`,
  // whose rows lie `outStride` pixels apart.
  void scale(const std::uint8_t* rgb, std::uint32_t* out, std::ptrdiff_t outStride);

  // Target rows first .. first + count - 1 into `out`, which holds row `first`: a picture made in
  // strips that stay in the processor's cache while they are copied on. `continuing` says that
  // these rows follow those of the previous call, from the same unchanged picture, so that the
  // source rows widened for it serve again.
  void scaleRows(const std::uint8_t* rgb, int first, int count, std::uint32_t* out,
                 std::ptrdiff_t outStride, bool continuing);

  int width() const { return width_; }
  int height() const { return height_; }

 private:
  void widenRow(const std::uint8_t* rgb, int row, std::uint32_t* out) const;
  void preparePair();

  int sourceWidth_ = 0;
  int sourceHeight_ = 0;
  int width_ = 0;
  int height_ = 0;
  // Per target column the weight of the source column right of it, in 256ths; per source
  // column the end of the target columns that lie right of it and left of the next.
  std::vector<int> columnWeights_;
  std::vector<int> spanEnds_;
  // The widened rows above and below the target row being made.
  std::vector<std::uint32_t> upper_;
  std::vector<std::uint32_t> lower_;
  // Their levels as 256 upper + 128 and lower - upper, ready for blending.
  std::vector<std::uint16_t> base_;
  std::vector<std::uint16_t> step_;
  // What they hold: source rows, whether base_ and step_ are made from them, the next row.
  const std::uint8_t* source_ = nullptr;
  int upperRow_ = -1;
  int lowerRow_ = -1;
  bool pairPrepared_ = false;
  int nextRow_ = -1;
};

// Where target pixel `target` of `size` falls in a source of `sourceSize` pixels, in 256ths of a
// source pixel from the first source centre, rounded to nearest, kept within the source centres.
int sourcePosition256(int target, int size, int sourceSize);

}  // namespace mosaic
