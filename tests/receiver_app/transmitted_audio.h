#pragma once
// The transmitter's signal as the receiver's sound input delivers it: frames synthesised from
// picture planes, resampled from 48000 to 9600 Hz, and optionally mistuned.

#include "channel/channel_model.h"
#include "resampling/resampler.h"
#include "signal/rounding.h"
#include "signal/timing.h"
#include "tests/support/transmitted_frames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mosaic::test {

// `frames` frames of the transmitter's signal for `planes`, resampled from 48000 to 9600 Hz,
// every frequency moved by `offsetHz` (a radio tuned that far off).
inline std::vector<std::int16_t> receivedAudio(const PicturePlanes& planes, int frames,
                                               double offsetHz = 0.0) {
  const std::vector<std::int16_t> sent = transmittedFrames(planes, frames);
  const std::vector<float> in(sent.begin(), sent.end());
  std::vector<float> out;
  Resampler resampler(kTxSampleRateHz, kRxSampleRateHz);
  std::string error;
  EXPECT_TRUE(resampler.convert(in.data(), in.size(), true, out, error)) << error;
  if (offsetHz != 0.0) out = shiftFrequency(out, kRxSampleRateHz, offsetHz);
  std::vector<std::int16_t> at9600(out.size());
  for (std::size_t i = 0; i < at9600.size(); ++i) at9600[i] = roundToSample(out[i]);
  return at9600;
}

}  // namespace mosaic::test
