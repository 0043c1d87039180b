#pragma once
// The transmitter's frames as a receiver hears them at 9600 Hz, without the channel library: each
// group of five samples at 48000 Hz averaged, after the sender's silence before its first frame.
// A sending clock that runs fast plays its frames faster: the receiver's groups then lie a little
// further apart in the sent sound. White noise may be added.

#include "signal/rounding.h"
#include "signal/timing.h"
#include "transmitter/core/frame_synthesizer.h"
#include "transmitter/core/picture_planes.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace mosaic::test {

struct Reception {
  int leadSamples = 37;  // [samples at 9600 Hz] of silence before the first frame
  double noise = 0.0;    // standard deviation of the white noise added
  double clockPpm = 0.0;
  unsigned seed = 1;
};

// `buffers` capture buffers of the frames `planesOf(0)`, `planesOf(1)`, ... as heard.
template <typename PlanesOf>
std::vector<std::int16_t> receivedFrames(int buffers, PlanesOf planesOf,
                                         const Reception& how = {}) {
  const double step = 5.0 * (1.0 + how.clockPpm * 1e-6);  // sent samples per received sample
  const int frames = buffers + 1;
  std::vector<float> sent;
  sent.reserve(static_cast<std::size_t>(frames) * kFrameSamples);
  FrameSynthesizer synthesizer;
  std::vector<std::int16_t> frame(kFrameSamples);
  for (int f = 0; f < frames; ++f) {
    synthesizer.synthesize(planesOf(f), frame.data());
    sent.insert(sent.end(), frame.begin(), frame.end());
  }
  const auto at = [&sent](double x) {  // the sent sound between its samples
    const auto i = static_cast<std::size_t>(x);
    const double f = x - static_cast<double>(i);
    return i + 1 < sent.size() ? (1.0 - f) * sent[i] + f * sent[i + 1] : 0.0;
  };
  std::mt19937 rng(how.seed);
  std::normal_distribution<double> gauss(0.0, how.noise > 0.0 ? how.noise : 1.0);
  std::vector<std::int16_t> out(static_cast<std::size_t>(buffers) * kCaptureSamples);
  for (std::size_t n = 0; n < out.size(); ++n) {
    const double x = (static_cast<double>(n) - how.leadSamples) * step;
    double sum = 0.0;
    if (x >= 0.0)
      for (int i = 0; i < 5; ++i) sum += at(x + i * step / 5.0);
    const double v = sum / 5.0 + (how.noise > 0.0 ? gauss(rng) : 0.0);
    out[n] = saturate16(roundHalfEven(v));
  }
  return out;
}

}  // namespace mosaic::test
