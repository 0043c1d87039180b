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

// The phase increment [rad/step] of one step at frequency value f: f * twoPi / 19200,
// evaluated in extended precision.
long double stepIncrement(float f) {
  return static_cast<long double>(f) * static_cast<long double>(twoPiSingle()) / 19200.0L;
}

}  // namespace

float carrierStepFrequency(const PicturePlanes& planes, int k, int s) {
  const long double base = 30.0L * k;
  switch (carrierContent(k)) {
    case CarrierContent::Luminance:
      return static_cast<float>(base + planes.Y[s][lumaRow(k)]);
    case CarrierContent::RedDifference: {
      const int j = vFirstRow(k);
      const auto& V = planes.V[s];
      const long double sum = static_cast<long double>(V[j + 1]) + V[j] + V[j + 2] + V[j + 3];
      return static_cast<float>(base + sum / 4.0L);
    }
    case CarrierContent::BlueDifference: {
      // The nine rows are added in two parts, each stored in single precision.
      const int j = uFirstRow(k);
      const auto& U = planes.U[s];
      const long double first =
          static_cast<long double>(U[j + 1]) + U[j] + U[j + 2] + U[j + 3] + U[j + 4];
      const float f = static_cast<float>(base + first / 9.0L);
      const long double second =
          static_cast<long double>(U[j + 6]) + U[j + 5] + U[j + 7] + U[j + 8];
      return static_cast<float>(f + second / 9.0L);
    }
    case CarrierContent::None:
      break;
  }
  return static_cast<float>(base);
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
      advancePhase(phase, stepIncrement(carrierStepFrequency(planes, k, s)), steps, out);
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
