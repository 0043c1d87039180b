// Speed of decoding a recording as `mosaic decode` does it: resampling to 9600 Hz, the receive
// chain for every buffer and the final picture image. The same audio is decoded from 48000 Hz
// and from 9600 Hz, so the ratio of the two is what resampling costs.

#include "signal/timing.h"
#include "tools/decode_recording.h"
#include "transmitter/core/frame_synthesizer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace mosaic;

constexpr int kFrames = 20;

// 20 frames of a smooth picture at the transmitter's 48000 Hz.
const std::vector<std::int16_t>& audioAt48k() {
  static const std::vector<std::int16_t> audio = [] {
    auto planes = std::make_unique<PicturePlanes>();
    for (int c = 1; c <= 47; ++c)
      for (int r = 1; r <= 64; ++r)
        planes->Y[c][r] = static_cast<float>(4.0 + 3.0 * std::sin(0.15 * c + 0.1 * r));
    FrameSynthesizer synthesizer;
    std::vector<std::int16_t> out(static_cast<std::size_t>(kFrames) * kFrameSamples);
    for (int f = 0; f < kFrames; ++f)
      synthesizer.synthesize(*planes, out.data() + f * kFrameSamples);
    return out;
  }();
  return audio;
}

// The same audio brought to 9600 Hz once, as a recording made at the receiver's rate.
const std::vector<std::int16_t>& audioAt9600() {
  static const std::vector<std::int16_t> audio = [] {
    const auto& in = audioAt48k();
    std::vector<float> input(in.begin(), in.end());
    std::vector<std::int16_t> out;
    std::string error;
    Resampler resampler(kTxSampleRateHz, kRxSampleRateHz);
    resampler.convert(input.data(), input.size(), true, out, error);
    return out;
  }();
  return audio;
}

void decodeAt(benchmark::State& state, const std::vector<std::int16_t>& audio, int rateHz) {
  for (auto _ : state) {
    const auto decoded = tool::decodeRecording(audio, rateHz, DemodSettings{}, DisplaySettings{});
    benchmark::DoNotOptimize(decoded.movie.data());
  }
  const double seconds = kFrames * kFrameSamples / double(kTxSampleRateHz);
  state.counters["x_real_time"] = benchmark::Counter(
      seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_DecodeRecording48k(benchmark::State& state) {
  decodeAt(state, audioAt48k(), kTxSampleRateHz);
}
BENCHMARK(BM_DecodeRecording48k)->Unit(benchmark::kMillisecond);

void BM_DecodeRecording9600(benchmark::State& state) {
  decodeAt(state, audioAt9600(), kRxSampleRateHz);
}
BENCHMARK(BM_DecodeRecording9600)->Unit(benchmark::kMillisecond);

}  // namespace
