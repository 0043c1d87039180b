#include "receiver/core/block_spectra.h"

#include <algorithm>

namespace mosaic {

namespace {

// The bins kept from every transform, with their slots.
constexpr int kLumaBins = kLastLumaCarrier - kFirstLumaCarrier + 1;
constexpr int kColourBins = kLastUCarrier - kFirstVCarrier + 1;

void transformSubColumn(const MixedSignal& signal, int offset, const Fft256& fft, int p,
                        SpectrumStore& store) {
  std::array<float, Fft256::kSize> re;
  std::array<float, Fft256::kSize> im;
  for (int b = 0; b < kBlocksPerRun; ++b) {
    const std::size_t first = static_cast<std::size_t>(b * kBlockSamples + offset);
    std::copy_n(signal.i.begin() + static_cast<std::ptrdiff_t>(first), Fft256::kSize, re.begin());
    std::copy_n(signal.q.begin() + static_cast<std::ptrdiff_t>(first), Fft256::kSize, im.begin());
    fft.transform(re.data(), im.data());
    auto keep = [&](int bin) {
      const auto at = static_cast<std::size_t>(fft.bitReversed(bin));
      const std::size_t to = SpectrumStore::index(b, slotOfBin(bin));
      store.re[static_cast<std::size_t>(p)][to] = re[at];
      store.im[static_cast<std::size_t>(p)][to] = im[at];
    };
    for (int k = 0; k < kLumaBins; ++k) keep(kFirstLumaCarrier + k);
    for (int k = 0; k < kColourBins; ++k) keep(kFirstVCarrier + k);
  }
}

}  // namespace

std::array<int, kSubColumns> subColumnOffsets(const std::array<int, 2>& windowOffsets) {
  auto limit = [](int o) { return std::clamp(o, 0, kBlockSamples); };
  return {0, limit(windowOffsets[0]), limit(windowOffsets[1])};
}

void transformBlocks(const MixedSignal& signal, const std::array<int, kSubColumns>& offsets,
                     const Fft256& fft, SpectrumStore& store) {
  for (int p = 0; p < kSubColumns; ++p) {
    const auto up = static_cast<std::size_t>(p);
    int same = -1;
    for (int earlier = 0; earlier < p; ++earlier) {
      if (offsets[static_cast<std::size_t>(earlier)] == offsets[up]) same = earlier;
    }
    if (same >= 0) {
      store.re[up] = store.re[static_cast<std::size_t>(same)];
      store.im[up] = store.im[static_cast<std::size_t>(same)];
    } else {
      transformSubColumn(signal, offsets[up], fft, p, store);
    }
  }
}

}  // namespace mosaic
