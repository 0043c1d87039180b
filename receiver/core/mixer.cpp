#include "receiver/core/mixer.h"

#include <cmath>

namespace mosaic {

float mixerTwoPi() { return static_cast<float>(8.0L * std::atan(1.0L)); }

void mixToBaseband(const std::int16_t* history, long double tuningOffsetHz, MixedSignal& out) {
  const float twoPi = mixerTwoPi();
  const long double step = tuningOffsetHz * twoPi / kRxSampleRateHz;  // [rad per sample]
  float phase = 0.0f;
  // sin and cos are evaluated only when the phase changes: with no tuning offset it stays at 0.
  float lastPhase = 0.0f;
  long double sinPhase = 0.0L;
  long double cosPhase = 1.0L;
  for (int n = 0; n < kMixedSamples; ++n) {
    phase = static_cast<float>(phase + step);
    if (phase > twoPi) phase = static_cast<float>(static_cast<long double>(phase) - twoPi);
    if (phase != lastPhase) {
      sinPhase = std::sin(static_cast<double>(phase));
      cosPhase = std::cos(static_cast<double>(phase));
      lastPhase = phase;
    }
    const long double x = n < kHistorySamples ? history[n] : 0;
    out.i[n] = static_cast<float>(-x * sinPhase);
    out.q[n] = static_cast<float>(-x * cosPhase);
  }
  for (int n = kMixedSamples; n < kMixedBufferSamples; ++n) {
    out.i[n] = 0.0f;
    out.q[n] = 0.0f;
  }
}

}  // namespace mosaic
