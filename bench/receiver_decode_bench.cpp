// Speed of decoding a 48000 Hz recording as `mosaic decode` does it: resampling to 9600 Hz,
// the receive chain for every buffer and the final picture image.

#include "tools/decode_recording.h"
#include "transmitter/core/frame_synthesizer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using namespace mosaic;

void BM_DecodeRecording48k(benchmark::State& state) {
  auto planes = std::make_unique<PicturePlanes>();
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r)
      planes->Y[c][r] = static_cast<float>(4.0 + 3.0 * std::sin(0.15 * c + 0.1 * r));
  const int frames = 20;
  FrameSynthesizer synthesizer;
  std::vector<std::int16_t> audio(static_cast<std::size_t>(frames) * kFrameSamples);
  for (int f = 0; f < frames; ++f)
    synthesizer.synthesize(*planes, audio.data() + f * kFrameSamples);
  for (auto _ : state) {
    const auto decoded =
        tool::decodeRecording(audio, kTxSampleRateHz, DemodSettings{}, DisplaySettings{});
    benchmark::DoNotOptimize(decoded.movie.data());
  }
  const double seconds = frames * kFrameSamples / double(kTxSampleRateHz);
  state.counters["x_real_time"] = benchmark::Counter(
      seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeRecording48k)->Unit(benchmark::kMillisecond);

}  // namespace
