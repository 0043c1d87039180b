// Speed of the transmitter's per-frame work. "x_realtime" is how many 1.28 s frames fit into
// one second of work on one core.

#include "transmitter/core/carrier_sum.h"
#include "transmitter/core/frame_synthesizer.h"
#include "transmitter/core/grab_reduction.h"
#include "transmitter/core/phase_chain.h"

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

// The phase accumulator alone over one frame's symbols, with the increments of a random picture:
// the part of the synthesis that is one long chain of dependent steps.
template <void (*advance)(float&, const mosaic::Extended&, int, float*)>
void BM_PhaseChain(benchmark::State& state) {
  auto planes = std::make_unique<mosaic::PicturePlanes>();
  mosaic::reduceGrab(*randomGrab(), *planes);
  std::vector<mosaic::Extended> increments;
  for (int k : mosaic::generationOrder()) {
    for (int s = 0; s < mosaic::kSymbolsPerFrame; ++s) {
      const float f = mosaic::carrierStepFrequency(*planes, k, s);
      increments.push_back(mosaic::phaseIncrement(f));
    }
  }
  std::vector<float> out(mosaic::kStepsPerSymbol);
  for (auto _ : state) {
    float phase = 0.0f;
    for (const auto& inc : increments) advance(phase, inc, mosaic::kStepsPerSymbol, out.data());
    benchmark::DoNotOptimize(phase);
  }
  reportRealTime(state);
}
BENCHMARK(BM_PhaseChain<mosaic::advancePhase>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhaseChain<mosaic::stepPhase>)->Unit(benchmark::kMillisecond);

// The 49 sine evaluations and roundings of each step, over the phases of one carrier.
void BM_CarrierSum(benchmark::State& state) {
  std::vector<float> phase(mosaic::kStepsPerFrame);
  float p = 0.0f;
  mosaic::advancePhase(p, mosaic::phaseIncrement(1700), mosaic::kStepsPerFrame, phase.data());
  std::vector<std::int32_t> acc(mosaic::kStepsPerFrame);
  for (auto _ : state) {
    for (int k = 0; k < mosaic::kCarrierCount; ++k) {
      mosaic::addCarrier(phase.data(), mosaic::kStepsPerFrame, acc.data());
    }
    benchmark::DoNotOptimize(acc.data());
  }
  reportRealTime(state);
}
BENCHMARK(BM_CarrierSum)->Unit(benchmark::kMillisecond);

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
