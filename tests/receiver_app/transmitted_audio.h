#pragma once
// The transmitter's signal as the receiver's sound input delivers it: frames synthesised from
// picture planes, resampled from 48000 to 9600 Hz, and optionally mistuned.

#include "channel/channel_model.h"
#include "signal/rounding.h"
#include "signal/timing.h"
#include "tests/support/transmitted_frames.h"

#include <gtest/gtest.h>
#include <samplerate.h>

#include <cstdint>
#include <vector>

namespace mosaic::test {

// `frames` frames of the transmitter's signal for `planes`, resampled from 48000 to 9600 Hz,
// every frequency moved by `offsetHz` (a radio tuned that far off).
inline std::vector<std::int16_t> receivedAudio(const PicturePlanes& planes, int frames,
                                               double offsetHz = 0.0) {
  const std::vector<std::int16_t> sent = transmittedFrames(planes, frames);
  std::vector<float> in(sent.begin(), sent.end());
  std::vector<float> out(in.size() / 5 + 16);
  SRC_DATA data{};
  data.data_in = in.data();
  data.input_frames = static_cast<long>(in.size());
  data.data_out = out.data();
  data.output_frames = static_cast<long>(out.size());
  data.src_ratio = double(kRxSampleRateHz) / kTxSampleRateHz;
  EXPECT_EQ(src_simple(&data, SRC_SINC_BEST_QUALITY, 1), 0);
  out.resize(static_cast<std::size_t>(data.output_frames_gen));
  if (offsetHz != 0.0) out = shiftFrequency(out, kRxSampleRateHz, offsetHz);
  std::vector<std::int16_t> at9600(out.size());
  for (std::size_t i = 0; i < at9600.size(); ++i) at9600[i] = roundToSample(out[i]);
  return at9600;
}

}  // namespace mosaic::test
