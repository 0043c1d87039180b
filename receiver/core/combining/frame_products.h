#pragma once
// The newest frame's differential products, measured for the frame combiner.
//
// A frame lasts exactly one capture buffer, so the newest buffer's 48 window pairs (blocks 47/48
// up to 94/95) hold one product of every position of the frame. A sender whose clock is off
// moves its frames against the buffers by a little every frame; the windows then follow it by
// whole samples. A shift of whole blocks only renumbers the positions; the rest (-128..127
// samples) moves the windows, which are then transformed here, off the demodulator's grid.
// The later windows of the last pairs of sub-columns 1 and 2 reach past the history; the
// receiver reads silence there, and so do these. A window that would reach past even that block
// of silence is left out: its cells stay zero.

#include "receiver/core/combining/frame_cells.h"
#include "receiver/core/combining/window_transforms.h"
#include "receiver/core/demodulation/block_spectra.h"
#include "receiver/core/demodulation/frequency_shift.h"

#include <array>
#include <complex>
#include <vector>

namespace mosaic {

// A shift of the windows [samples], split into whole blocks and the rest.
struct WindowShift {
  int blocks = 0;
  int samples = 0;  // -128..127

  static WindowShift of(int shift);
};

// The product position (0..47) of the pair that ends on block `block` (48..95) of the history.
int productPosition(int block, const WindowShift& shift);

// Per used slot, the turn a product gets before it is stored (index slot - 10).
using SlotTurns = std::array<std::complex<double>, kUsedSlots>;

class FrameProducts {
 public:
  FrameProducts();

  // The newest frame's cells, every product turned by its slot's turn. With no shift the
  // demodulator's block spectra serve; otherwise the shifted windows are transformed.
  void measure(const SpectrumStore& store, const MixedSignal& mixed,
               const std::array<int, kSubColumns>& offsets, const WindowShift& shift,
               const SlotTurns& turns, FrameCells& cells);

  // The mean power that noise alone gives one bin of a window, from the empty bins of the
  // newest buffer.
  double noisePower(const MixedSignal& mixed);

  // Whether the latest measure() left the pair at this sub-column and position out, and
  // whether its later window reached past the history.
  bool leftOut(int p, int position) const {
    return leftOut_[static_cast<std::size_t>(p)][static_cast<std::size_t>(position)];
  }
  bool pastHistory(int p, int position) const {
    return pastHistory_[static_cast<std::size_t>(p)][static_cast<std::size_t>(position)];
  }

 private:
  using PerPair = std::array<std::array<int, kFramePositions>, kSubColumns>;
  using PairFlags = std::array<std::array<bool, kFramePositions>, kSubColumns>;

  // Transforms the shifted windows of every sub-column into bins_.
  void transformShifted(const MixedSignal& mixed, const std::array<int, kSubColumns>& offsets,
                        const WindowShift& shift);

  WindowTransforms transforms_;
  std::vector<int> starts_;
  std::vector<CarrierBins> bins_;
  // Where the transformed windows A of the newest frame's pairs (per sub-column and block
  // 48..95) lie in bins_.
  PerPair newestPair_{};
  PairFlags pastHistory_{};  // per sub-column and position
  PairFlags leftOut_{};
};

}  // namespace mosaic
