#pragma once
// The frequency shift that comes before the block transforms: the history times a rotating
// phasor, so that bin k of a transform measures the audio frequency 37.5 k - f0 Hz.

#include "signal/extended.h"
#include "signal/timing.h"

#include <array>
#include <cstdint>

namespace mosaic {

// One past the history: the mixer runs one step further (that index counts as silence).
inline constexpr int kMixedSamples = kHistorySamples + 1;
// Room for the windows of the last block at any offset below one block [samples].
inline constexpr int kMixedBufferSamples = kHistorySamples + kBlockSamples;

// The complex signal y[n] = I[n] + j Q[n] in single precision; entries past kHistorySamples are 0.
struct MixedSignal {
  std::array<float, kMixedBufferSamples> i{};
  std::array<float, kMixedBufferSamples> q{};
};

// One step of the mixer's phase: phase + step rounded to extended precision, then to single.
class MixerPhaseStep {
 public:
  explicit MixerPhaseStep(const Extended& step);
  float after(float phase) const;

 private:
  Extended step_;
  double high_, low_;  // the step exactly, as a pair of doubles
};

// 2 pi as the single-precision constant 8 arctan 1 that the mixer accumulates with.
float mixerTwoPi();

// Fills `out` from `history` (kHistorySamples values): y[n] = -j x[n] e^(-j phase), where the
// single-precision phase gains f0 * 2 pi / 9600 before each sample (so sample 0 already uses one
// step), starts at 0 on every call and is reduced by 2 pi only when it exceeds 2 pi.
void mixToBaseband(const std::int16_t* history, const Extended& tuningOffsetHz, MixedSignal& out);

}  // namespace mosaic
