#pragma once
// Where the frame combiner looks for a changed picture, and how far a new frame's products stray
// from a reference there.
//
// The cells are grouped in patches: a band of picture rows (four luminance carriers with the red
// difference carrier of the same four rows, or the four blue difference carriers) at one product
// position, in every sub-column. Each patch keeps its own sums. A change is judged over two kinds
// of region made of patches: an area, a band over a third of the columns (narrow enough that the
// transmitter's crawl line, in the lowest rows, restarts only its own bands; large enough that
// noise alone rarely looks like a change while a new picture shows in one frame); and a column,
// every band at one position (a picture changing anywhere moves the phases with which every
// carrier made after that row starts the next frame, which changes the products across the
// frame boundary in most bands).

#include "receiver/core/combining/frame_cells.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace mosaic {

inline constexpr int kRowBands = 10;  // nine of luminance and red difference, one of blue
inline constexpr int kPatches = kRowBands * kFramePositions;
inline constexpr int kAreaColumns = 3;
inline constexpr int kPositionsPerArea = kFramePositions / kAreaColumns;  // 16
inline constexpr int kAreas = kRowBands * kAreaColumns;

// The row band (0..9) of a used slot (10..58).
int rowBandOfSlot(int slot);
constexpr int patchOf(int band, int position) { return band * kFramePositions + position; }
constexpr int bandOfPatch(int patch) { return patch / kFramePositions; }
constexpr int positionOfPatch(int patch) { return patch % kFramePositions; }
constexpr int areaOfPatch(int patch) {
  return bandOfPatch(patch) * kAreaColumns + positionOfPatch(patch) / kPositionsPerArea;
}

// The running sum of a cell's products over frames.
struct CellSum {
  double re = 0.0;
  double im = 0.0;
  double a2 = 0.0;
  double b2 = 0.0;

  void add(const ProductCell& c) {
    re += c.re;
    im += c.im;
    a2 += c.a2;
    b2 += c.b2;
  }
  void subtract(const ProductCell& c) {
    re -= c.re;
    im -= c.im;
    a2 -= c.a2;
    b2 -= c.b2;
  }
  void set(const ProductCell& c) { *this = {c.re, c.im, c.a2, c.b2}; }
};

using FrameSums = std::array<CellSum, kFrameCells>;

// The cells of every patch, listed once.
class Patches {
 public:
  Patches();
  std::span<const std::uint16_t> cells(int patch) const {
    const auto at = static_cast<std::size_t>(patch);
    return std::span<const std::uint16_t>(cells_).subspan(first_[at], first_[at + 1] - first_[at]);
  }

 private:
  std::vector<std::uint16_t> cells_;
  std::array<std::size_t, kPatches + 1> first_{};
};

// How far new products stray from a reference, added up over cells: for each cell, the part of
// the new product perpendicular to the reference, squared, over its expected size under noise
// alone. The mean is about 1 where the picture has not changed, and far above where it has. Only
// the perpendicular part counts, so that fading, which changes the products' size, does not
// look like a change.
struct StrayScore {
  double sum = 0.0;
  int cells = 0;

  void add(const StrayScore& s) {
    sum += s.sum;
    cells += s.cells;
  }
  double mean() const { return cells > 0 ? sum / cells : 0.0; }
};

// The score of `now`'s `cells` against `reference` (a sum over `referenceFrames` frames, or one
// frame), with `noisePower` the noise power of one bin.
template <typename Reference>
StrayScore strayScore(std::span<const std::uint16_t> cells, const FrameCells& now,
                      const Reference& reference, int referenceFrames, double noisePower);

}  // namespace mosaic
