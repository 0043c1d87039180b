#include "receiver/core/demodulation/demodulator.h"

#include "receiver/core/combining/frame_combiner.h"
#include "receiver/core/demodulation/differential_values.h"
#include "receiver/core/picture/colour_planes.h"

namespace mosaic {

Demodulator::Demodulator()
    : mixed_(std::make_unique<MixedSignal>()), spectrum_(std::make_unique<SpectrumStore>()) {}

void Demodulator::transformHistory(const SampleHistory& history, const DemodSettings& settings) {
  settings_ = settings;
  mixToBaseband(history.samples.data(), tuningOffsetHz(settings_), *mixed_);
  transformBlocks(*mixed_, subColumnOffsets(settings_.windowOffsets), fft_, *spectrum_);
}

void Demodulator::finishRun(SymbolPlanes& planes, RunBytes& bytes, FrameCombiner* combiner) const {
  differentialValues(*spectrum_, settings_.balance, planes, bytes);
  if (combiner && combiner->settings().on)
    combiner->combine(*spectrum_, *mixed_, settings_, planes, bytes);
  colourPlanes(tuningOffsetHz(settings_), planes);
}

void Demodulator::demodulate(const SampleHistory& history, const DemodSettings& settings,
                             SymbolPlanes& planes, RunBytes& bytes) {
  transformHistory(history, settings);
  finishRun(planes, bytes);
}

}  // namespace mosaic
