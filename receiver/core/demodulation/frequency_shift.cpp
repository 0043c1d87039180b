#include "receiver/core/demodulation/frequency_shift.h"

#include <cmath>

namespace mosaic {

float mixerTwoPi() { return static_cast<float>(8.0 * std::atan(1.0)); }

void mixToBaseband(const std::int16_t* history, const Extended& tuningOffsetHz, MixedSignal& out) {
  const float twoPi = mixerTwoPi();
  // [rad per sample], in extended precision; each step rounds the sum to extended precision,
  // then to single. The wrap subtracts two floats of the same binade: exact in any precision.
  const Extended step = tuningOffsetHz * Extended(twoPi) / Extended(kRxSampleRateHz);
  const bool still = step.isZero();
  // sin and cos of the phase follow it by rotation: the phase moves by the exact difference of
  // two single-precision values, and the few distinct differences have their sin and cos
  // computed once. A fresh evaluation at the start of every block keeps the rotation within
  // 1e-13 of the direct value, far below the single-precision result.
  constexpr int kFreshEvery = kBlockSamples;  // [samples]
  float phase = 0.0f;
  float previousPhase = 0.0f;
  double sinPhase = 0.0;
  double cosPhase = 1.0;
  double lastTurn = 0.0;
  double sinTurn = 0.0;
  double cosTurn = 1.0;
  for (int n = 0; n < kMixedSamples; ++n) {
    if (!still) phase = (Extended(phase) + step).toFloat();
    if (phase > twoPi) phase -= twoPi;
    if (n % kFreshEvery == 0) {
      sinPhase = std::sin(static_cast<double>(phase));
      cosPhase = std::cos(static_cast<double>(phase));
    } else if (phase != previousPhase) {
      const double turn = static_cast<double>(phase) - static_cast<double>(previousPhase);
      if (turn != lastTurn) {
        sinTurn = std::sin(turn);
        cosTurn = std::cos(turn);
        lastTurn = turn;
      }
      const double rotatedSin = sinPhase * cosTurn + cosPhase * sinTurn;
      cosPhase = cosPhase * cosTurn - sinPhase * sinTurn;
      sinPhase = rotatedSin;
    }
    previousPhase = phase;
    const double x = n < kHistorySamples ? history[n] : 0;
    out.i[n] = static_cast<float>(-x * sinPhase);
    out.q[n] = static_cast<float>(-x * cosPhase);
  }
  for (int n = kMixedSamples; n < kMixedBufferSamples; ++n) {
    out.i[n] = 0.0f;
    out.q[n] = 0.0f;
  }
}

}  // namespace mosaic
