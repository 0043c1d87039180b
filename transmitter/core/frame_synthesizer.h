#pragma once
// One frame of the Mosaic TV signal: 49 carriers, 61440 samples at 48000 Hz, from one picture.

#include "signal/timing.h"
#include "transmitter/core/picture_planes.h"

#include <cstdint>
#include <memory>

namespace mosaic {

// The frequency value f of carrier k in symbol s (30 k plus the picture value), stored in single
// precision; one synthesis step advances the phase by f * 2 pi / 19200, i.e. 1.25 f Hz.
float carrierStepFrequency(const PicturePlanes& planes, int k, int s);

// Builds frames; holds its working arrays so that building allocates nothing.
class FrameSynthesizer {
 public:
  FrameSynthesizer();
  ~FrameSynthesizer();
  FrameSynthesizer(const FrameSynthesizer&) = delete;
  FrameSynthesizer& operator=(const FrameSynthesizer&) = delete;

  // Writes the frame for `planes` into `frame` (kFrameSamples samples). The carriers are made
  // one after another in the order 56..91, 12..20, 21..24 with one phase accumulator that
  // starts at 0; each step's value goes into a pair of equal samples.
  void synthesize(const PicturePlanes& planes, std::int16_t* frame);

 private:
  struct Scratch;
  std::unique_ptr<Scratch> scratch_;
};

}  // namespace mosaic
