// Speed of the receiver per capture buffer (1.28 s of audio): demodulation, picture
// reconstruction, and the receiver engine as the front-ends run it: the picture alone (mosaic
// decode) and with everything the window asks for (tuning aid, aligned frame, signal-to-noise).

#include "receiver/core/demodulation/demodulator.h"
#include "receiver/core/picture/render_picture.h"
#include "receiver/core/receiver_engine.h"

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

void BM_EnginePerBuffer(benchmark::State& state) {
  const auto audio = sampleAudio(kCaptureSamples);
  auto engine = std::make_unique<ReceiverEngine>(pictureSettings(settingsFor(state)));
  for (auto _ : state) {
    engine->onBufferComplete(audio.data());
    benchmark::DoNotOptimize(engine->bitmap().bytes.data());
  }
  state.counters["x_real_time"] = benchmark::Counter(1.28 * static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EnginePerBuffer)->ArgName("tuned")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// As the receiver window runs it. The same buffer again and again never lets the estimator lock,
// so it searches every frame: the most the tuning aid costs.
void BM_EngineAsTheWindowRunsIt(benchmark::State& state) {
  const auto audio = sampleAudio(kCaptureSamples);
  EngineSettings settings;
  settings.tuningAid = true;
  settings.alignedScale = 3;
  settings.measureSnr = true;
  auto engine = std::make_unique<ReceiverEngine>(settings);
  for (auto _ : state) {
    engine->onBufferComplete(audio.data());
    benchmark::DoNotOptimize(engine->bitmap().bytes.data());
  }
}
BENCHMARK(BM_EngineAsTheWindowRunsIt)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A receiver listening to a silent input: every carrier is missing, every value not-a-number.
void BM_EngineSilentInput(benchmark::State& state) {
  const std::vector<std::int16_t> silence(kCaptureSamples, 0);
  auto engine = std::make_unique<ReceiverEngine>();
  for (auto _ : state) {
    engine->onBufferComplete(silence.data());
    benchmark::DoNotOptimize(engine->bitmap().bytes.data());
  }
}
BENCHMARK(BM_EngineSilentInput)->Unit(benchmark::kMillisecond);

}  // namespace
