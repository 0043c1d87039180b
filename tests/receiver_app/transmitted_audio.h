#pragma once
// The transmitter's signal as the receiver hears it: frames synthesised at 48000 Hz and brought
// to the receiver's 9600 Hz, and written to a file for the mosaic tool.

#include "signal/rounding.h"
#include "signal/timing.h"
#include "transmitter/core/frame_synthesizer.h"
#include "transmitter/core/picture_planes.h"

#include <QString>

#include <gtest/gtest.h>
#include <samplerate.h>
#include <sndfile.h>

#include <cstdint>
#include <vector>

namespace mosaic::test {

// `frames` frames of the transmitter's signal for `planes`, resampled from 48000 to 9600 Hz.
inline std::vector<std::int16_t> receivedAudio(const PicturePlanes& planes, int frames) {
  FrameSynthesizer synthesizer;
  std::vector<std::int16_t> sent(static_cast<std::size_t>(frames) * kFrameSamples);
  for (int f = 0; f < frames; ++f) synthesizer.synthesize(planes, sent.data() + f * kFrameSamples);
  std::vector<float> in(sent.begin(), sent.end());
  std::vector<float> out(in.size() / 5 + 16);
  SRC_DATA data{};
  data.data_in = in.data();
  data.input_frames = static_cast<long>(in.size());
  data.data_out = out.data();
  data.output_frames = static_cast<long>(out.size());
  data.src_ratio = double(kRxSampleRateHz) / kTxSampleRateHz;
  EXPECT_EQ(src_simple(&data, SRC_SINC_BEST_QUALITY, 1), 0);
  std::vector<std::int16_t> at9600(static_cast<std::size_t>(data.output_frames_gen));
  for (std::size_t i = 0; i < at9600.size(); ++i) at9600[i] = saturate16(roundHalfEven(out[i]));
  return at9600;
}

// Writes 9600 Hz mono samples as a WAV file, for the mosaic tool.
inline bool writeWav(const QString& path, const std::vector<std::int16_t>& samples) {
  SF_INFO info{};
  info.samplerate = kRxSampleRateHz;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.toStdString().c_str(), SFM_WRITE, &info);
  if (!f) return false;
  const auto n = static_cast<sf_count_t>(samples.size());
  const bool ok = sf_writef_short(f, samples.data(), n) == n;
  sf_close(f);
  return ok;
}

}  // namespace mosaic::test
