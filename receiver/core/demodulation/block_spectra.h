#pragma once
// The block transforms of one run: for each sub-column p and block b = 0..95, the 256 mixed
// values starting at 256 b + o_p go through the transform, and the used bins are stored by slot.

#include "receiver/core/demodulation/fft256.h"
#include "receiver/core/demodulation/frequency_shift.h"
#include "signal/carrier_plan.h"
#include "signal/timing.h"

#include <array>

namespace mosaic {

inline constexpr int kSubColumns = 3;
inline constexpr int kSpectrumBlocks = kBlocksPerRun + 1;  // block 96 is never written: always 0

// S_p[b][slot] in single precision for the three sub-columns. Only slots 10..58 of blocks 0..95
// are written; everything else stays 0.
struct SpectrumStore {
  using Table = std::array<float, kSpectrumBlocks * kSlotCount>;
  std::array<Table, kSubColumns> re{};
  std::array<Table, kSubColumns> im{};

  static constexpr std::size_t index(int block, int slot) {
    return static_cast<std::size_t>(block * kSlotCount + slot);
  }
};

// Window offsets of sub-columns 0, 1, 2 [samples]: 0 and the two settings, each limited to one
// block (a window never starts more than a block late).
std::array<int, kSubColumns> subColumnOffsets(const std::array<int, 2>& windowOffsets);

// Transforms the 96 blocks of every sub-column of `signal` and stores the used bins in `store`.
// A sub-column with the same offset as an earlier one copies its results.
void transformBlocks(const MixedSignal& signal, const std::array<int, kSubColumns>& offsets,
                     const Fft256& fft, SpectrumStore& store);

}  // namespace mosaic
