#include "receiver/core/combining/change_regions.h"

#include <algorithm>

namespace mosaic {

namespace {

constexpr int kLumaSlotsPerBand = 4;
constexpr int kFirstBlueSlot = kBlueSlot;  // the blue difference carriers 21..24
// Products that differ by less than this share of their size count as unchanged, whatever the
// noise: a change of a few byte steps is not worth forgetting the sums for.
constexpr double kUnchangedShare = 0.05;
// One cell's score counts at most this much, so that a burst on one carrier is not taken for
// a changed picture.
constexpr double kMostCellScore = 10.0;

}  // namespace

int rowBandOfSlot(int slot) {
  if (slot < kFirstColourSlot) return (slot - kFirstUsedSlot) / kLumaSlotsPerBand;
  if (slot < kFirstBlueSlot) return slot - kFirstColourSlot;  // red difference carrier 12 + band
  return kRowBands - 1;
}

Patches::Patches() {
  cells_.reserve(kFrameCells);
  for (int patch = 0; patch < kPatches; ++patch) {
    first_[static_cast<std::size_t>(patch)] = cells_.size();
    const int j = positionOfPatch(patch);
    for (int slot = kFirstUsedSlot; slot <= kLastUsedSlot; ++slot) {
      if (rowBandOfSlot(slot) != bandOfPatch(patch)) continue;
      for (int p = 0; p < kSubColumns; ++p)
        cells_.push_back(static_cast<std::uint16_t>(cellIndex(j, slot, p)));
    }
  }
  first_[kPatches] = cells_.size();
}

template <typename Reference>
StrayScore strayScore(std::span<const std::uint16_t> cells, const FrameCells& now,
                      const Reference& reference, int referenceFrames, double noisePower) {
  // A product's noise: the noise of each window times the other's signal, and their product;
  // the windows' powers hold the noise once each.
  const double noiseSquared = noisePower * noisePower;
  StrayScore score;
  for (const std::uint16_t i : cells) {
    const ProductCell& p = now[i];
    const auto& s = reference[i];
    const double sizeS = static_cast<double>(s.re) * s.re + static_cast<double>(s.im) * s.im;
    const double sizeP = static_cast<double>(p.re) * p.re + static_cast<double>(p.im) * p.im;
    if (sizeS <= 0.0) {
      // A reference of digital silence has no direction to stray from: anything heard is new.
      if (sizeP > 0.0) {
        score.sum += kMostCellScore;
        ++score.cells;
      }
      continue;
    }
    const double cross = static_cast<double>(p.im) * s.re - static_cast<double>(p.re) * s.im;
    const double perpendicular = cross * cross / sizeS;
    // Noise moves the new product, and the reference's own noise turns the line it is measured
    // from; half of each lies across the line.
    const double noiseP = noisePower * (static_cast<double>(p.a2) + p.b2) - noiseSquared;
    const double noiseS =
        noisePower * (static_cast<double>(s.a2) + s.b2) - referenceFrames * noiseSquared;
    // A product smaller than the reference's frames on average (a fade) may stray by the same
    // share of their size: fading also turns a faded carrier's product a little.
    const double typical =
        std::max(sizeP, sizeS / (static_cast<double>(referenceFrames) * referenceFrames));
    const double expected = 0.5 * (std::max(noiseP, 0.0) + sizeP * std::max(noiseS, 0.0) / sizeS) +
                            kUnchangedShare * kUnchangedShare * typical;
    if (expected <= 0.0) continue;
    score.sum += std::min(perpendicular / expected, kMostCellScore);
    ++score.cells;
  }
  return score;
}

template StrayScore strayScore<FrameSums>(std::span<const std::uint16_t>, const FrameCells&,
                                          const FrameSums&, int, double);
template StrayScore strayScore<FrameCells>(std::span<const std::uint16_t>, const FrameCells&,
                                           const FrameCells&, int, double);

}  // namespace mosaic
