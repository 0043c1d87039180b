#pragma once
// The transmitter's signal for a picture, frame after frame, as the tests feed it to receivers.

#include "signal/timing.h"
#include "transmitter/core/frame_synthesizer.h"
#include "transmitter/core/picture_planes.h"

#include <cstdint>
#include <vector>

namespace mosaic::test {

// `frames` frames of `planes` back to back at 48000 Hz.
inline std::vector<std::int16_t> transmittedFrames(const PicturePlanes& planes, int frames) {
  FrameSynthesizer synthesizer;
  std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * kFrameSamples);
  for (int f = 0; f < frames; ++f) synthesizer.synthesize(planes, out.data() + f * kFrameSamples);
  return out;
}

}  // namespace mosaic::test
