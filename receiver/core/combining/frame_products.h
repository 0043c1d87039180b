#pragma once
// The newest frame's differential products, measured for the frame combiner.
//
// A frame lasts exactly one capture buffer, so the newest buffer's 48 window pairs (blocks 47/48
// up to 94/95) hold one product of every position of the frame. A sender whose clock is off
// moves its frames against the buffers by a little every frame; the windows then follow it by
// whole samples. A shift of whole blocks only renumbers the positions; the rest (-128..127
// samples) moves the windows, which are then transformed here, off the demodulator's grid.

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
  // A window that would reach past the history is taken one frame earlier, where a still
  // picture holds the same.
  void measure(const SpectrumStore& store, const MixedSignal& mixed,
               const std::array<int, kSubColumns>& offsets, const WindowShift& shift,
               const SlotTurns& turns, FrameCells& cells);

  // The mean power that noise alone gives one bin of a window, from the empty bins of the
  // newest buffer.
  double noisePower(const MixedSignal& mixed);

 private:
  // Transforms the shifted windows of every sub-column into bins_.
  void transformShifted(const MixedSignal& mixed, const std::array<int, kSubColumns>& offsets,
                        const WindowShift& shift);

  WindowTransforms transforms_;
  std::vector<int> starts_;
  std::vector<CarrierBins> bins_;
  // Per sub-column and pair (ending on block 48..95), where its window A lies in bins_.
  std::array<std::array<int, kFramePositions>, kSubColumns> pairStart_{};
};

}  // namespace mosaic
