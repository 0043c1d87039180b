#include "tools/decode_quality.h"

#include "signal/carrier_plan.h"

#include <algorithm>
#include <cmath>

namespace mosaic::tool {

namespace {
constexpr int kBytesPerSymbol = kUsedSlots * 3;
constexpr int kFirstColumn = 1;
constexpr int kLastColumn = 47;
}  // namespace

double expectedLumaByte(float y, int slot, int balance) {
  const double twoPi = 8.0 * std::atan(1.0);
  const double d = std::sin(twoPi * y / 30.0) + balance * slot / 5000.0;
  return std::clamp(128.0 * d + 128.0, 0.0, 255.0);
}

LuminanceMatch bestLuminanceMatch(const PicturePlanes& sent, const std::uint8_t* symbols,
                                  int symbolCount, int balance) {
  LuminanceMatch best;
  const int columns = kLastColumn - kFirstColumn + 1;
  for (int first = 0; first + columns <= symbolCount; ++first) {
    for (int p = 0; p < 3; ++p) {
      double sum = 0.0;
      long count = 0;
      for (int c = kFirstColumn; c <= kLastColumn; ++c) {
        const std::uint8_t* symbol =
            symbols + static_cast<long>(first + c - kFirstColumn) * kBytesPerSymbol;
        for (int k = kFirstLumaCarrier; k <= kLastLumaCarrier; ++k) {
          const int slot = slotOfBin(k);
          const double want = expectedLumaByte(sent.Y[c][lumaRow(k)], slot, balance);
          sum += std::abs(symbol[(slot - kFirstUsedSlot) * 3 + p] - want);
          ++count;
        }
      }
      const double mean = sum / static_cast<double>(count);
      if (std::isnan(best.meanError) || mean < best.meanError) {
        best = {mean, p, first, count};
      }
    }
  }
  return best;
}

}  // namespace mosaic::tool
