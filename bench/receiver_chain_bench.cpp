// Speed of the receive chain per capture buffer (1.28 s of audio): demodulation, picture
// reconstruction, and the whole chain as the receiver runs it.

#include "receiver/core/demodulation/demodulator.h"
#include "receiver/core/picture/render_picture.h"
#include "receiver/core/receive_chain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace mosaic;

// 49 carriers with drifting values and some noise.
std::vector<std::int16_t> sampleAudio(int count) {
  std::vector<std::int16_t> out(static_cast<std::size_t>(count));
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 300.0);
  std::vector<double> phase(128, 0.0);
  for (int n = 0; n < count; ++n) {
    double sum = noise(rng);
    for (int k = 12; k <= 91; ++k) {
      if (k > 24 && k < 56) continue;
      const double hz = 37.5 * k + 1.25 * (3.0 + 3.0 * std::sin(0.2 * k + n / 2000.0));
      phase[static_cast<std::size_t>(k)] += 6.283185307179586 * hz / 9600.0;
      sum += 1200.0 * std::cos(phase[static_cast<std::size_t>(k)]);
    }
    out[static_cast<std::size_t>(n)] =
        static_cast<std::int16_t>(std::lround(std::clamp(sum, -32768.0, 32767.0)));
  }
  return out;
}

// A full history of sampleAudio().
std::unique_ptr<SampleHistory> historyOfSampleAudio() {
  auto history = std::make_unique<SampleHistory>();
  const auto audio = sampleAudio(kHistorySamples);
  std::copy(audio.begin(), audio.end(), history->samples.begin());
  return history;
}

DemodSettings settingsFor(const benchmark::State& state) {
  DemodSettings s;
  if (state.range(0) != 0) {  // a tuning offset makes the mixer evaluate sin and cos
    s.coarseHz = -3.0f;
    s.fineHz = -0.4f;
  }
  return s;
}

void BM_Demodulate(benchmark::State& state) {
  const auto history = historyOfSampleAudio();
  auto planes = std::make_unique<SymbolPlanes>();
  auto bytes = std::make_unique<RunBytes>();
  Demodulator demodulator;
  const DemodSettings settings = settingsFor(state);
  for (auto _ : state) {
    demodulator.demodulate(*history, settings, *planes, *bytes);
    benchmark::DoNotOptimize(bytes->data());
  }
}
BENCHMARK(BM_Demodulate)->ArgName("tuned")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RenderPicture(benchmark::State& state) {
  const auto history = historyOfSampleAudio();
  auto planes = std::make_unique<SymbolPlanes>();
  auto bytes = std::make_unique<RunBytes>();
  Demodulator demodulator;
  demodulator.demodulate(*history, DemodSettings{}, *planes, *bytes);
  auto bitmap = std::make_unique<PictureBitmap>();
  DisplaySettings display;
  display.noiseFilter = state.range(0) != 0;
  display.horizontalFilter = state.range(0) != 0;
  display.verticalInterpolation = state.range(0) != 0;
  for (auto _ : state) {
    renderPicture(*planes, display, *bitmap);
    benchmark::DoNotOptimize(bitmap->bytes.data());
  }
}
BENCHMARK(BM_RenderPicture)->ArgName("filters")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReceiveChainPerBuffer(benchmark::State& state) {
  const auto audio = sampleAudio(kCaptureSamples);
  ReceiveChain chain;
  const DemodSettings settings = settingsFor(state);
  for (auto _ : state) {
    chain.onBufferComplete(audio.data(), settings, DisplaySettings{});
    benchmark::DoNotOptimize(chain.bitmap().bytes.data());
  }
  state.counters["x_real_time"] = benchmark::Counter(1.28 * static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceiveChainPerBuffer)
    ->ArgName("tuned")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A receiver listening to a silent input: every carrier is missing, every value not-a-number.
void BM_ReceiveChainSilentInput(benchmark::State& state) {
  const std::vector<std::int16_t> silence(kCaptureSamples, 0);
  ReceiveChain chain;
  for (auto _ : state) {
    chain.onBufferComplete(silence.data(), DemodSettings{}, DisplaySettings{});
    benchmark::DoNotOptimize(chain.bitmap().bytes.data());
  }
}
BENCHMARK(BM_ReceiveChainSilentInput)->Unit(benchmark::kMillisecond);

}  // namespace
