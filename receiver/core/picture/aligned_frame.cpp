#include "receiver/core/picture/aligned_frame.h"

#include "signal/timing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace mosaic {

namespace {

constexpr int kFirstLumaSlot = 10;
// [samples] kept between a window pair and the frame's boundaries where the sub-columns allow:
// more than the boundary estimate can be off by in the first frames after it locks, before a
// still picture's repeats give the clock error (some 50 samples early with the sending clock
// 100 ppm fast), by a pair no further than kFurthestMove from the column's own place.
constexpr int kKeptFromBoundary = 64;
constexpr double kFurthestMove = 160.0;
// [samples] Away from the edges every sent column has a pair of each sub-column within this of
// it but one; of those, the sub-column whose picture is smoothest from column to column is read.
// The receiver's values depend on where its windows lie: with some pictures, at some positions,
// one sub-column's values jitter from column to column and show as vertical streaks.
constexpr int kPreferredReach = 86;
constexpr int kFirstInnerColumn = 2;
constexpr int kLastInnerColumn = kAlignedColumns - 1;
// Bitmap row of the lowest luminance slot's primary row (slot 10).
constexpr int kFirstLumaRow = kRowsPerSlot * kFirstLumaSlot - 2;

}  // namespace

void reserveAligned(AlignedPicture& picture) {
  picture.rgb.reserve(static_cast<std::size_t>(kAlignedColumns * kAlignedRows * 3) *
                      kMaxAlignedScale * kMaxAlignedScale);
}

SymbolColumn symbolForColumn(double column, int frameStart, const std::array<int, 2>& offsets,
                             int preferred) {
  // Symbol c of the frame is centred on frameStart + 256 c; the value of symbol t in
  // sub-column p compares the windows starting at 256 (t - 1) + o and 256 t + o, whose centres
  // lie half a symbol either side of 256 t + o.
  // A pair that reaches across the frame's first or last boundary compares phases of two
  // frames, which a carrier does not keep from one to the next: a column of noise at the
  // picture's edge. So pairs kKeptFromBoundary or more inside the frame come first (when there
  // are sub-columns and they are no more than kFurthestMove from the column), then pairs inside
  // it, then any. A pair of the `preferred` sub-column no further than kPreferredReach from the
  // column comes before all of them.
  const double centre = frameStart + column * kBlockSamples;
  const std::array<int, kSubColumns> o = subColumnOffsets(offsets);
  SymbolColumn best{1, 0};
  double bestDistance = 1e300;
  int bestRank = -1;
  // Without "+ half pixel" the next pair is a whole symbol away: the margin is not kept.
  const bool subColumns = o[1] != o[0] || o[2] != o[0];
  for (int p = 0; p < kSubColumns; ++p) {
    const auto at = static_cast<std::size_t>(p);
    const int guess = static_cast<int>(std::lround((centre - o[at]) / kBlockSamples));
    for (int t = guess - 1; t <= guess + 1; ++t) {
      const int first = kBlockSamples * (t - 1) + o[at];
      const int end = kBlockSamples * (t + 1) + o[at];
      // Windows reaching past the history read silence there: never chosen.
      if (t < 1 || end > kHistorySamples) continue;
      const double distance = std::abs(kBlockSamples * t + o[at] - centre);
      const auto within = [&](int margin) {
        return first >= frameStart + margin && end <= frameStart + kCaptureSamples - margin;
      };
      int rank = subColumns && within(kKeptFromBoundary) && distance <= kFurthestMove ? 2
                 : within(0)                                                          ? 1
                                                                                      : 0;
      if (rank == 2 && p == preferred && distance <= kPreferredReach) rank = 3;
      if (rank > bestRank || (rank == bestRank && distance < bestDistance)) {
        bestDistance = distance;
        bestRank = rank;
        best = {t, p};
      }
    }
  }
  return best;
}

int smoothestSubColumn(const PictureBitmap& bitmap, int frameStart,
                       const std::array<int, 2>& offsets) {
  const std::array<int, kSubColumns> o = subColumnOffsets(offsets);
  if (o[1] == o[0] && o[2] == o[0]) return -1;
  int best = -1;
  long long bestRoughness = 0;
  for (int p = 0; p < kSubColumns; ++p) {
    const int op = o[static_cast<std::size_t>(p)];
    // How far this sub-column's pairs lie from the symbols' centres, -128..127.
    const int delta =
        ((op - frameStart) % kBlockSamples + kBlockSamples + kBlockSamples / 2) % kBlockSamples -
        kBlockSamples / 2;
    if (std::abs(delta) > kPreferredReach) continue;
    const int firstT =
        (frameStart + kBlockSamples * kFirstInnerColumn + delta - op) / kBlockSamples;
    const int lastT = firstT + kLastInnerColumn - kFirstInnerColumn;
    if (firstT < 1 || kBlockSamples * (lastT + 1) + op > kHistorySamples) continue;
    // Luminance (in tenths) of the inner columns on the primary rows, and how much each column
    // stands out from its two neighbours.
    long long roughness = 0;
    for (int slot = 0; slot < kAlignedRows; ++slot) {
      const std::uint8_t* row = bitmap.row(kFirstLumaRow + kRowsPerSlot * slot);
      const auto luma = [&](int t) {
        const std::uint8_t* pixel = row + 3 * pictureColumn(t, p);
        return 3 * pixel[kRed] + 6 * pixel[kGreen] + pixel[kBlue];
      };
      for (int t = firstT + 1; t < lastT; ++t)
        roughness += std::abs(2 * luma(t) - luma(t - 1) - luma(t + 1));
    }
    if (best < 0 || roughness < bestRoughness) {
      best = p;
      bestRoughness = roughness;
    }
  }
  return best;
}

void alignFrame(const PictureBitmap& bitmap, int frameStart,
                const std::array<int, 2>& windowOffsets, int scale, AlignedPicture& out) {
  scale = std::clamp(scale, 1, kMaxAlignedScale);
  frameStart = std::clamp(frameStart, 0, kCaptureSamples);
  out.width = kAlignedColumns * scale;
  out.height = kAlignedRows * scale;
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  const int preferred = smoothestSubColumn(bitmap, frameStart, windowOffsets);
  // The left edge is column 47, the right edge column 1. With a preferred sub-column, a larger
  // picture blends its whole columns between their centres; without one, each output column is
  // read at its own fraction of a sent column from whichever sub-column lies nearest.
  int left[kAlignedColumns * kMaxAlignedScale];
  int right[kAlignedColumns * kMaxAlignedScale];
  int rightWeight[kAlignedColumns * kMaxAlignedScale];  // [1/256]
  for (int x = 0; x < out.width; ++x) {
    const double column = kAlignedColumns + 0.5 - (x + 0.5) / scale;
    if (preferred < 0) {
      const SymbolColumn s = symbolForColumn(column, frameStart, windowOffsets);
      left[x] = right[x] = pictureColumn(s.t, s.p);
      rightWeight[x] = 0;
      continue;
    }
    const double clamped = std::clamp(column, 1.0, double(kAlignedColumns));
    const int higher = std::min(static_cast<int>(std::ceil(clamped)), kAlignedColumns);
    const int lower = std::max(higher - 1, 1);
    const SymbolColumn l = symbolForColumn(higher, frameStart, windowOffsets, preferred);
    const SymbolColumn r = symbolForColumn(lower, frameStart, windowOffsets, preferred);
    left[x] = pictureColumn(l.t, l.p);
    right[x] = pictureColumn(r.t, r.p);
    rightWeight[x] = static_cast<int>(std::lround((higher - clamped) * 256));
  }
  // The bitmap holds three rows per slot (the primary row and the two the vertical step
  // filled); the rows are spread over the output's rows, so scale 1 shows the primary rows.
  std::uint8_t* dst = out.rgb.data();
  for (int y = 0; y < out.height; ++y) {
    const int fromBottom = out.height - 1 - y;
    const std::uint8_t* row = bitmap.row(kFirstLumaRow + kRowsPerSlot * fromBottom / scale);
    for (int x = 0; x < out.width; ++x) {
      const std::uint8_t* a = row + 3 * left[x];
      const std::uint8_t* b = row + 3 * right[x];
      const int w = rightWeight[x];
      for (int channel : {kRed, kGreen, kBlue})
        *dst++ = static_cast<std::uint8_t>((a[channel] * (256 - w) + b[channel] * w + 128) >> 8);
    }
  }
}

}  // namespace mosaic
