#pragma once
// The demodulator: from the sample history to the symbol planes and the picture value bytes.
// Its work buffers are allocated once, with the object.

#include "receiver/core/capture/sample_history.h"
#include "receiver/core/demodulation/block_spectra.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/demodulation/fft256.h"
#include "receiver/core/demodulation/frequency_shift.h"
#include "receiver/core/demodulation/symbol_planes.h"

#include <memory>

namespace mosaic {

class FrameCombiner;

class Demodulator {
 public:
  Demodulator();

  // First half of a run: takes the settings for the whole run, then the frequency shift and the
  // block transforms of the history. The capture buffer may be handed back after this.
  void transformHistory(const SampleHistory& history, const DemodSettings& settings);
  // Second half: differential values, picture value bytes and colour planes. A combiner that
  // is on replaces the values and bytes by combined ones before the colour planes are made.
  void finishRun(SymbolPlanes& planes, RunBytes& bytes, FrameCombiner* combiner = nullptr) const;
  // A whole run: transformHistory, then finishRun.
  void demodulate(const SampleHistory& history, const DemodSettings& settings, SymbolPlanes& planes,
                  RunBytes& bytes);

  // The spectrum store of the latest run (blocks 0..96, slots 0..127).
  const SpectrumStore& spectrum() const { return *spectrum_; }
  // The mixed signal of the latest run.
  const MixedSignal& mixed() const { return *mixed_; }

 private:
  DemodSettings settings_;
  Fft256 fft_;
  std::unique_ptr<MixedSignal> mixed_;
  std::unique_ptr<SpectrumStore> spectrum_;
};

}  // namespace mosaic
