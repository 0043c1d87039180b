#pragma once
// The demodulator's output, kept from run to run: per sub-column a luminance plane and two
// colour-difference planes, indexed [t][slot] with symbol t = 0..96 and slot 0..127.

#include "receiver/core/demodulation/block_spectra.h"
#include "signal/carrier_plan.h"
#include "signal/timing.h"

#include <array>
#include <cstdint>

namespace mosaic {

inline constexpr int kPlaneSymbols = kBlocksPerRun + 1;  // t = 0..96; row 0 is never written
inline constexpr int kPlaneEntries = kPlaneSymbols * kSlotCount;

struct SymbolPlanes {
  // Entries are laid out symbol after symbol, so entry (t, 128) is entry (t + 1, 0).
  using Plane = std::array<double, kPlaneEntries>;
  std::array<Plane, kSubColumns> luma{};  // differential values D (colour carriers at 46..58)
  std::array<Plane, kSubColumns> cr{};    // red difference, slots 10..61
  std::array<Plane, kSubColumns> cb{};    // blue difference, slots 10..81

  static constexpr std::size_t index(int t, int slot) {
    return static_cast<std::size_t>(t * kSlotCount + slot);
  }
};

// Picture value bytes of one run: t = 1..96, then slot 10..58, then sub-column 0, 1, 2.
inline constexpr int kBytesPerSymbol = kUsedSlots * kSubColumns;               // 147
inline constexpr int kRunBytes = kBlocksPerRun * kBytesPerSymbol;              // 14112
inline constexpr int kMovieFrameSymbols = kBlocksPerRun / 2;                   // 48
inline constexpr int kMovieFrameBytes = kMovieFrameSymbols * kBytesPerSymbol;  // 7056
using RunBytes = std::array<std::uint8_t, kRunBytes>;

// Where the byte of symbol t (1..96), slot s (10..58), sub-column p lies in a run's bytes.
constexpr std::size_t runByteIndex(int t, int slot, int p) {
  return static_cast<std::size_t>((t - 1) * kBytesPerSymbol +
                                  (slot - kFirstUsedSlot) * kSubColumns + p);
}

}  // namespace mosaic
