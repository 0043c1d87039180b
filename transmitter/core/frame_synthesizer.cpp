#include "transmitter/core/frame_synthesizer.h"

#include "signal/carrier_plan.h"
#include "signal/rounding.h"
#include "transmitter/core/carrier_sum.h"
#include "transmitter/core/phase_chain.h"

#include <algorithm>

namespace mosaic {

namespace {

// Steps of each symbol: symbols 0 and 48 are half symbols at the ends of the frame.
constexpr int stepsInSymbol(int s) {
  return (s == 0 || s == kSymbolsPerFrame - 1) ? kStepsPerSymbol / 2 : kStepsPerSymbol;
}

}  // namespace

// Each expression is evaluated in extended precision and rounded once to single precision,
// except that the nine blue rows are added in two parts, each stored in single precision.
float carrierStepFrequency(const PicturePlanes& planes, int k, int s) {
  const Extended base(30 * k);
  switch (carrierContent(k)) {
    case CarrierContent::Luminance:
      return (base + Extended(planes.Y[s][lumaRow(k)])).toFloat();
    case CarrierContent::RedDifference: {
      const int j = vFirstRow(k);
      const auto& V = planes.V[s];
      const Extended sum =
          Extended(V[j + 1]) + Extended(V[j]) + Extended(V[j + 2]) + Extended(V[j + 3]);
      return (base + sum / Extended(4)).toFloat();
    }
    case CarrierContent::BlueDifference: {
      const int j = uFirstRow(k);
      const auto& U = planes.U[s];
      const Extended nine(9);
      const Extended first = Extended(U[j + 1]) + Extended(U[j]) + Extended(U[j + 2]) +
                             Extended(U[j + 3]) + Extended(U[j + 4]);
      const float f = (base + first / nine).toFloat();
      const Extended second =
          Extended(U[j + 6]) + Extended(U[j + 5]) + Extended(U[j + 7]) + Extended(U[j + 8]);
      return (Extended(f) + second / nine).toFloat();
    }
    case CarrierContent::None:
      break;
  }
  return base.toFloat();
}

struct FrameSynthesizer::Scratch {
  float phase[kStepsPerFrame];       // [rad] phase after each step of one carrier
  std::int32_t acc[kStepsPerFrame];  // the running sample of each step
};

FrameSynthesizer::FrameSynthesizer() : scratch_(std::make_unique<Scratch>()) {}
FrameSynthesizer::~FrameSynthesizer() = default;

void FrameSynthesizer::synthesize(const PicturePlanes& planes, std::int16_t* frame) {
  Scratch& w = *scratch_;
  std::fill(std::begin(w.acc), std::end(w.acc), 0);
  float phase = 0.0f;  // once per frame, not per carrier
  for (int k : generationOrder()) {
    float* out = w.phase;
    for (int s = 0; s < kSymbolsPerFrame; ++s) {
      const int steps = stepsInSymbol(s);
      advancePhase(phase, phaseIncrement(carrierStepFrequency(planes, k, s)), steps, out);
      out += steps;
    }
    addCarrier(w.phase, kStepsPerFrame, w.acc);
  }
  // The finished sum is limited once, as it is stored: only a sample whose whole sum is out of
  // range differs from wrapping 16-bit arithmetic, and it stays at the rail instead of clicking.
  for (int j = 0; j < kStepsPerFrame; ++j) {
    const auto sample = saturate16(w.acc[j]);
    frame[2 * j] = sample;
    frame[2 * j + 1] = sample;
  }
}

}  // namespace mosaic
