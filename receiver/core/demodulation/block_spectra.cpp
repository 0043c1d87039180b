#include "receiver/core/demodulation/block_spectra.h"

#include <algorithm>

namespace mosaic {

namespace {

// The bins kept from every transform, with their slots.
constexpr int kLumaBins = kLastLumaCarrier - kFirstLumaCarrier + 1;
constexpr int kColourBins = kLastUCarrier - kFirstVCarrier + 1;

void transformSubColumn(const MixedSignal& signal, int offset, const Fft256& fft, int p,
                        SpectrumStore& store) {
  constexpr int kBatch = Fft256::kBatch;
  static_assert(kBlocksPerRun % kBatch == 0);
  std::array<float, Fft256::kSize * kBatch> re;
  std::array<float, Fft256::kSize * kBatch> im;
  auto& storeRe = store.re[static_cast<std::size_t>(p)];
  auto& storeIm = store.im[static_cast<std::size_t>(p)];
  for (int firstBlock = 0; firstBlock < kBlocksPerRun; firstBlock += kBatch) {
    // Lane j takes block firstBlock + j.
    for (int lane = 0; lane < kBatch; ++lane) {
      const std::size_t first =
          static_cast<std::size_t>((firstBlock + lane) * kBlockSamples + offset);
      for (int n = 0; n < Fft256::kSize; ++n) {
        re[static_cast<std::size_t>(n * kBatch + lane)] =
            signal.i[first + static_cast<std::size_t>(n)];
        im[static_cast<std::size_t>(n * kBatch + lane)] =
            signal.q[first + static_cast<std::size_t>(n)];
      }
    }
    fft.transformBatch(re.data(), im.data());
    auto keep = [&](int bin) {
      const int at = fft.bitReversed(bin) * kBatch;
      for (int lane = 0; lane < kBatch; ++lane) {
        const std::size_t to = SpectrumStore::index(firstBlock + lane, slotOfBin(bin));
        storeRe[to] = re[static_cast<std::size_t>(at + lane)];
        storeIm[to] = im[static_cast<std::size_t>(at + lane)];
      }
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
