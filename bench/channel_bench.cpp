// Speed of the channel simulator on the transmitter's signal at 48000 Hz. "x_real_time" is how
// many seconds of sound one second of work on one core gets through.

#include "channel/channel_model.h"
#include "signal/timing.h"
#include "transmitter/core/frame_synthesizer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using namespace mosaic;

constexpr int kFrames = 8;

// 8 frames (10.24 s) of a smooth colour picture as the transmitter sends it.
const std::vector<float>& sent() {
  static const std::vector<float> sound = [] {
    auto planes = std::make_unique<PicturePlanes>();
    for (int c = 1; c <= 47; ++c)
      for (int r = 1; r <= 64; ++r) {
        planes->Y[c][r] = static_cast<float>(4.0 + 3.0 * std::sin(0.15 * c + 0.1 * r));
        planes->V[c][r] = static_cast<float>(std::sin(0.05 * c));
      }
    FrameSynthesizer synthesizer;
    std::vector<std::int16_t> frame(kFrameSamples);
    std::vector<float> out;
    for (int f = 0; f < kFrames; ++f) {
      synthesizer.synthesize(*planes, frame.data());
      out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
  }();
  return sound;
}

void reportRealTime(benchmark::State& state) {
  state.counters["x_real_time"] =
      benchmark::Counter(static_cast<double>(sent().size()) / kTxSampleRateHz,
                         benchmark::Counter::kIsIterationInvariantRate);
}

void run(benchmark::State& state, const ChannelSettings& settings) {
  for (auto _ : state) {
    const std::vector<float> heard = applyChannel(sent(), kTxSampleRateHz, settings);
    benchmark::DoNotOptimize(heard.data());
  }
  reportRealTime(state);
}

// The sending sound card's clock running fast (positive) or slow (negative) by the argument [ppm].
void BM_ClockError(benchmark::State& state) {
  ChannelSettings settings;
  settings.clockPpm = static_cast<double>(state.range(0));
  run(state, settings);
}
BENCHMARK(BM_ClockError)->Arg(50)->Arg(200)->Arg(-200)->Unit(benchmark::kMillisecond);

// Noise, mistuning, moderate fading and the transceiver's passband, with and without a clock
// error: what the clock adds to a typical `mosaic channel` run.
void BM_WholeChannel(benchmark::State& state) {
  ChannelSettings settings;
  settings.snrDb = 15.0;
  settings.offsetHz = 1.5;
  settings.passLowHz = 300.0;
  settings.passHighHz = 3600.0;
  settings.fading = Fading::Moderate;
  settings.clockPpm = static_cast<double>(state.range(0));
  run(state, settings);
}
BENCHMARK(BM_WholeChannel)->Arg(0)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace
