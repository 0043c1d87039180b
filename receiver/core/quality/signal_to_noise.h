#pragma once
// The signal-to-noise ratio of the received audio in 3000 Hz, the way the radio channel and
// operators quote it: the power of the 49 carriers against white noise of the density measured
// in the empty stretch between the colour and the luminance carriers (1125..1875 Hz, five grid
// steps and more from both). It reads the mean power spectrum of the tuning aid's 1024-point
// transforms, so it needs neither the tuning nor the frame boundary: a mistuning of up to
// 24 Hz keeps every carrier inside its band.

#include "receiver/core/tuning/tuning_spectrum.h"
#include "signal/timing.h"

#include <cstdint>
#include <span>
#include <vector>

namespace mosaic {

inline constexpr double kSnrBandwidthHz = 3000.0;
// The estimate stays within these; a clean signal without any noise reads as the highest.
inline constexpr double kLowestSnrDb = -30.0;
inline constexpr double kHighestSnrDb = 60.0;

struct SignalToNoise {
  double snrDb = kLowestSnrDb;  // [dB] in 3000 Hz
  // Of the 49 carriers, and of the noise in 3000 Hz, in the spectrum's units (a full-scale sine
  // over the whole transform gives 1 at its bin).
  double signalPower = 0.0;
  double noisePower = 0.0;
  // The 13 colour and the 36 luminance carriers on their own, each less its noise. Sent alike,
  // they hold about 13 and 36 parts of the signal's power.
  double colourPower = 0.0;
  double luminancePower = 0.0;
};

// The estimate from a mean power spectrum (TuningSpectrum::mean()).
SignalToNoise signalToNoise(const SpectrumRow& meanPower);

// Measures stretches of received audio, such as the receiver's two-buffer history.
class SnrMeter {
 public:
  // The most samples one measurement takes: two capture buffers.
  static constexpr std::size_t kMostSamples = kHistorySamples;

  SnrMeter() : samples_(kMostSamples) {}
  // Takes the newest whole 1024-sample pieces of `samples`, at most `kMostSamples`.
  const SignalToNoise& measure(std::span<const std::int16_t> samples);
  const SignalToNoise& latest() const { return latest_; }

 private:
  std::vector<float> samples_;
  TuningSpectrum spectrum_;
  SignalToNoise latest_;
};

}  // namespace mosaic
