#pragma once
// Combining the repeated frames of a still picture: a sender that shows a still picture sends
// the same frame again every capture buffer, so each carrier's differential product A conj B at
// each position of the frame can be summed over the frames, and the value formed from the sum.
// Noise averages out, and a carrier that fades in one frame contributes little to it.
//
// A change detector keeps moving pictures live, patch by patch (see change_regions.h): where a
// new frame strays from the sums, it is shown alone at once; when the next frame agrees with it
// rather than with the sums, the patch starts again from those two frames, and when it agrees
// with the sums the stray frame is dropped (a fade can look like a change for one frame).
//
// Sums run over at most the newest N frames. The sending clock's error, when the tuning
// estimator knows it, moves the windows by whole samples to follow the drifting frames and
// turns each carrier's product back by the clock's share of its frequency.
//
// Each run's newer half (symbols 48..95) gets the values of the newest frame's positions; the
// older half (1..47) shows what the newer half showed one run before, as the receiver's older
// half always shows the frame before. Everything is allocated once, with the object.

#include "receiver/core/combining/change_regions.h"
#include "receiver/core/combining/combining_settings.h"
#include "receiver/core/combining/frame_products.h"
#include "receiver/core/demodulation/block_spectra.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/demodulation/frequency_shift.h"
#include "receiver/core/demodulation/symbol_planes.h"

#include <array>
#include <cstdint>
#include <memory>

namespace mosaic {

class FrameCombiner {
 public:
  FrameCombiner();
  ~FrameCombiner();
  FrameCombiner(const FrameCombiner&) = delete;
  FrameCombiner& operator=(const FrameCombiner&) = delete;

  // Read at the start of every run. Switching off and on again starts afresh.
  void setSettings(const CombiningSettings& settings);
  const CombiningSettings& settings() const { return settings_; }
  // The sender as last estimated; used from the next run on.
  void setSender(const SenderEstimate& sender) { sender_ = sender; }
  // Forgets every frame, as after a change of station.
  void reset();

  // Replaces the values and picture value bytes of symbols 1..95 that the demodulator has just
  // made from `spectrum` and `mixed` with `demod`, by the combined ones. The colour planes are
  // to be made from them afterwards. Symbol 96 is left as it is.
  void combine(const SpectrumStore& spectrum, const MixedSignal& mixed, const DemodSettings& demod,
               SymbolPlanes& planes, RunBytes& bytes);

  // How many frames the newest values of a patch (see change_regions.h) were formed from, and
  // the most of any patch.
  int framesCombined(int patch) const;
  int mostFramesCombined() const;
  // Changes confirmed (a patch started again), and patch frames shown alone while a change
  // waited for confirmation, since the object was made.
  long long restarts() const { return restarts_; }
  long long strayFrames() const { return strayFrames_; }
  // How far the newest values' windows lie after the demodulator's own [samples, -128..127].
  int windowShift() const { return shift_.samples; }

 private:
  struct PatchState {
    std::uint32_t frames = 0;  // bit a: the frame a runs old is in the sums
    bool stray = false;        // the newest frame strayed and waits for confirmation
  };
  static constexpr int kRing = kMaxCombinedFrames;

  FrameCells& frame(long long age) const;
  void followSender(const DemodSettings& demod, SlotTurns& turns);
  void dropOldFrames(int window);
  void judgeChanges(int window);
  void update(int patch, bool changed, bool repeated, int window);
  void restartFrom(int patch, std::uint32_t frames);
  void formValues(const DemodSettings& demod, SymbolPlanes& planes, RunBytes& bytes);

  CombiningSettings settings_;
  SenderEstimate sender_;
  Patches patches_;
  FrameProducts products_;
  std::unique_ptr<std::array<FrameCells, kRing>> ring_;
  std::unique_ptr<FrameSums> sums_;
  std::array<PatchState, kPatches> state_{};
  // How far the newest frame strays, per patch, from the sums and from the frame before.
  std::array<StrayScore, kPatches> fromSums_{};
  std::array<StrayScore, kPatches> fromPrevious_{};
  // The values of a run's newer half before the balance slope, by symbol 48 + position: this
  // run's, and the last run's for the older half.
  struct NewerHalf {
    std::array<double, kFrameCells> raw{};
    // Left as the demodulator made them, in this half, and in the older half one run later.
    std::array<bool, kFrameCells> receiversOwn{};
    std::array<bool, kFrameCells> ownInOlderHalf{};
  };
  std::unique_ptr<NewerHalf> newest_;
  std::unique_ptr<NewerHalf> previous_;

  long long frames_ = 0;  // frames taken since the start; the newest is frames_ - 1
  std::array<int, kSubColumns> offsets_{};
  double drift_ = 0.0;          // [samples] how far the sender's frames have moved since the start
  bool clockFollowed_ = false;  // drift_ has followed the sender's clock since the start
  WindowShift shift_;
  double noise_ = 0.0;  // the noise power of one bin
  long long restarts_ = 0;
  long long strayFrames_ = 0;
};

}  // namespace mosaic
