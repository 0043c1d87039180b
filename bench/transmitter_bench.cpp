// Speed of the transmitter's per-frame work. "x_realtime" is how many 1.28 s frames fit into
// one second of work on one core.

#include "transmitter/core/frame_synthesizer.h"
#include "transmitter/core/grab_reduction.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr double kFrameSeconds = 1.28;

void reportRealTime(benchmark::State& state) {
  state.counters["x_realtime"] =
      benchmark::Counter(kFrameSeconds, benchmark::Counter::kIsIterationInvariantRate);
}

std::unique_ptr<mosaic::GrabBitmap> randomGrab() {
  auto grab = std::make_unique<mosaic::GrabBitmap>();
  std::mt19937 rng(1);
  for (auto& b : grab->bits) b = static_cast<std::uint8_t>(rng());
  return grab;
}

void BM_FrameSynthesis(benchmark::State& state) {
  auto planes = std::make_unique<mosaic::PicturePlanes>();
  mosaic::reduceGrab(*randomGrab(), *planes);
  mosaic::FrameSynthesizer synth;
  std::vector<std::int16_t> frame(mosaic::kFrameSamples);
  for (auto _ : state) {
    synth.synthesize(*planes, frame.data());
    benchmark::DoNotOptimize(frame.data());
  }
  reportRealTime(state);
}
BENCHMARK(BM_FrameSynthesis)->Unit(benchmark::kMillisecond);

void BM_GrabReduction(benchmark::State& state) {
  auto grab = randomGrab();
  auto planes = std::make_unique<mosaic::PicturePlanes>();
  for (auto _ : state) {
    mosaic::reduceGrab(*grab, *planes);
    benchmark::DoNotOptimize(planes.get());
  }
  reportRealTime(state);
}
BENCHMARK(BM_GrabReduction)->Unit(benchmark::kMillisecond);

}  // namespace
