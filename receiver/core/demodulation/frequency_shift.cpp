#include "receiver/core/demodulation/frequency_shift.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace mosaic {

MixerPhaseStep::MixerPhaseStep(const Extended& step)
    : step_(step), high_(step.toDouble()), low_((step - Extended(high_)).toDouble()) {}

// The sum is first worked out as a pair of doubles, exact to about 2^-106 of the phase; the
// extended rounding moves it by at most 2^-64 of it. Only a sum that close to a midpoint between
// two floats (or a power of two, below which the spacing halves) is worked out in extended
// precision.
float MixerPhaseStep::after(float phase) const {
  const double s = phase + high_;
  const double bb = s - phase;
  const double rest = (phase - (s - bb)) + (high_ - bb) + low_;  // the sum is s + rest
  const float rounded = static_cast<float>(s);
  const double offset = (s - rounded) + rest;  // of the sum from the float
  const auto bits = std::bit_cast<std::uint32_t>(rounded);
  const std::uint32_t exponentBits = bits & 0x7f800000u;
  const bool ordinary =
      (bits & 0x007fffffu) != 0 && exponentBits > 0x0c800000u && exponentBits < 0x72800000u;
  if (ordinary) {
    const double halfSpacing = std::bit_cast<float>(exponentBits) * 0x1p-24;
    if (std::fabs(offset) < halfSpacing - std::fabs(s) * 0x1p-62) return rounded;
  }
  return (Extended(phase) + step_).toFloat();
}

float mixerTwoPi() { return static_cast<float>(8.0 * std::atan(1.0)); }

void mixToBaseband(const std::int16_t* history, const Extended& tuningOffsetHz, MixedSignal& out) {
  const float twoPi = mixerTwoPi();
  // [rad per sample], in extended precision; each step rounds the sum to extended precision,
  // then to single. The wrap subtracts two floats of the same binade: exact in any precision.
  const Extended step = tuningOffsetHz * Extended(twoPi) / Extended(kRxSampleRateHz);
  const bool still = step.isZero();
  const MixerPhaseStep next(step);
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
    if (!still) phase = next.after(phase);
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
