#pragma once
// One frame's worth of differential products: for every product position (48 per frame, one
// per symbol), used slot (10..58) and sub-column, the product A conj B of two consecutive
// windows and the windows' powers. A still picture gives the same cells frame after frame, up
// to the noise.

#include "receiver/core/demodulation/block_spectra.h"
#include "signal/carrier_plan.h"
#include "signal/timing.h"

#include <array>
#include <cstddef>

namespace mosaic {

inline constexpr int kFramePositions = kBlocksPerRun / 2;                       // 48
inline constexpr int kFrameCells = kFramePositions * kUsedSlots * kSubColumns;  // 7056

struct ProductCell {
  float re = 0.0f;  // A conj B
  float im = 0.0f;
  float a2 = 0.0f;  // |A|^2, the earlier window
  float b2 = 0.0f;  // |B|^2
};

using FrameCells = std::array<ProductCell, kFrameCells>;

// Cells lie in the order of a run's picture value bytes: position, then slot, then sub-column.
constexpr std::size_t cellIndex(int position, int slot, int p) {
  return static_cast<std::size_t>((position * kUsedSlots + (slot - kFirstUsedSlot)) * kSubColumns +
                                  p);
}

}  // namespace mosaic
