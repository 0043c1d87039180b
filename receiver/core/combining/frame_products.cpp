#include "receiver/core/combining/frame_products.h"

#include <cstddef>

namespace mosaic {

namespace {

constexpr int kFirstNewBlock = kFramePositions;  // 48: the pair 47/48 is the newest frame's first
constexpr int kNoiseWindows = Fft256::kBatch;

// Where the window B of the pair ending on `block` starts in the history.
int windowB(int block, int offset, int shiftSamples) {
  return block * kBlockSamples + offset + shiftSamples;
}

// The mixed signal holds a block of silence after the history, as the receiver reads it.
bool fitsMixedSignal(int start) { return start + kBlockSamples <= kMixedBufferSamples; }

ProductCell productCell(std::complex<float> a, std::complex<float> b, std::complex<double> turn) {
  const double ar = a.real(), ai = a.imag(), br = b.real(), bi = b.imag();
  const double re = ar * br + ai * bi;  // A conj B
  const double im = ai * br - ar * bi;
  ProductCell cell;
  cell.re = static_cast<float>(re * turn.real() - im * turn.imag());
  cell.im = static_cast<float>(re * turn.imag() + im * turn.real());
  cell.a2 = static_cast<float>(ar * ar + ai * ai);
  cell.b2 = static_cast<float>(br * br + bi * bi);
  return cell;
}

}  // namespace

WindowShift WindowShift::of(int shift) {
  const int half = kBlockSamples / 2;
  WindowShift s;
  // Floor division, so that the rest always lies in -128..127.
  const int moved = shift + half;
  s.blocks = moved >= 0 ? moved / kBlockSamples : -((-moved + kBlockSamples - 1) / kBlockSamples);
  s.samples = shift - s.blocks * kBlockSamples;
  return s;
}

int productPosition(int block, const WindowShift& shift) {
  const int position = (block - kFirstNewBlock - shift.blocks) % kFramePositions;
  return position < 0 ? position + kFramePositions : position;
}

FrameProducts::FrameProducts() {
  starts_.reserve(kSubColumns * (kFramePositions + 1));
  bins_.resize(kSubColumns * (kFramePositions + 1));
}

void FrameProducts::measure(const SpectrumStore& store, const MixedSignal& mixed,
                            const std::array<int, kSubColumns>& offsets, const WindowShift& shift,
                            const SlotTurns& turns, FrameCells& cells) {
  for (int p = 0; p < kSubColumns; ++p)
    for (int block = kFirstNewBlock; block < kBlocksPerRun; ++block) {
      const int b = windowB(block, offsets[static_cast<std::size_t>(p)], shift.samples);
      const auto j = static_cast<std::size_t>(productPosition(block, shift));
      pastHistory_[static_cast<std::size_t>(p)][j] = b + kBlockSamples > kHistorySamples;
      leftOut_[static_cast<std::size_t>(p)][j] = !fitsMixedSignal(b);
    }
  if (shift.samples != 0) transformShifted(mixed, offsets, shift);

  for (int p = 0; p < kSubColumns; ++p) {
    const auto up = static_cast<std::size_t>(p);
    const int offset = offsets[up];
    int same = -1;
    for (int earlier = 0; earlier < p; ++earlier)
      if (offsets[static_cast<std::size_t>(earlier)] == offset) same = earlier;
    for (int block = kFirstNewBlock; block < kBlocksPerRun; ++block) {
      const int j = productPosition(block, shift);
      const int transformed = newestPair_[up][static_cast<std::size_t>(block - kFirstNewBlock)];
      for (int slot = kFirstUsedSlot; slot <= kLastUsedSlot; ++slot) {
        const auto s = static_cast<std::size_t>(slot - kFirstUsedSlot);
        ProductCell& cell = cells[cellIndex(j, slot, p)];
        if (leftOut_[up][static_cast<std::size_t>(j)]) {
          cell = ProductCell{};
        } else if (same >= 0) {
          cell = cells[cellIndex(j, slot, same)];
        } else if (shift.samples != 0) {
          // The shifted windows, transformed here.
          const auto i = static_cast<std::size_t>(transformed);
          cell = productCell(bins_[i][s], bins_[i + 1][s], turns[s]);
        } else {
          // On the demodulator's grid: its spectra hold every window.
          const std::size_t a = SpectrumStore::index(block - 1, slot);
          const std::size_t b = SpectrumStore::index(block, slot);
          cell = productCell({store.re[up][a], store.im[up][a]}, {store.re[up][b], store.im[up][b]},
                             turns[s]);
        }
      }
    }
  }
}

void FrameProducts::transformShifted(const MixedSignal& mixed,
                                     const std::array<int, kSubColumns>& offsets,
                                     const WindowShift& shift) {
  // Every sub-column's windows in one list, so that the transforms' batches are full.
  // Consecutive pairs share a window.
  starts_.clear();
  for (int p = 0; p < kSubColumns; ++p) {
    const int offset = offsets[static_cast<std::size_t>(p)];
    bool same = false;
    for (int earlier = 0; earlier < p; ++earlier)
      same = same || offsets[static_cast<std::size_t>(earlier)] == offset;
    if (same) continue;
    for (int block = kFirstNewBlock; block < kBlocksPerRun; ++block) {
      const int b = windowB(block, offset, shift.samples);
      if (!fitsMixedSignal(b)) break;
      if (block == kFirstNewBlock) starts_.push_back(b - kBlockSamples);
      newestPair_[static_cast<std::size_t>(p)][static_cast<std::size_t>(block - kFirstNewBlock)] =
          static_cast<int>(starts_.size()) - 1;
      starts_.push_back(b);
    }
  }
  transforms_.transform(mixed, starts_, std::span<CarrierBins>(bins_.data(), starts_.size()));
}

double FrameProducts::noisePower(const MixedSignal& mixed) {
  // Windows spread over the newest buffer, on the demodulator's grid.
  std::array<int, kNoiseWindows> starts{};
  for (int i = 0; i < kNoiseWindows; ++i)
    starts[static_cast<std::size_t>(i)] =
        (kFirstNewBlock + i * kFramePositions / kNoiseWindows) * kBlockSamples;
  return transforms_.noisePower(mixed, starts);
}

}  // namespace mosaic
