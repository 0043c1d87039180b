// Cost of the frame combiner per capture buffer (1.28 s of audio): measuring the newest frame's
// products, the change detector and forming the values, on a still picture with noise; on the
// demodulator's grid, and with a sending clock 100 ppm off, whose windows it transforms itself.
// The memory it holds is printed as a counter.

#include "receiver/core/capture/sample_history.h"
#include "receiver/core/combining/frame_combiner.h"
#include "receiver/core/demodulation/demodulator.h"
#include "transmitter/core/frame_synthesizer.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace mosaic;

// Bytes the C library has handed out, in small blocks and in mapped ones.
long long allocatedBytes() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<long long>(m.uordblks + m.hblkhd);
}

// `frames` frames of one still picture at 9600 Hz (groups of five samples averaged), with noise
// at about 6 dB in 3000 Hz.
std::vector<std::int16_t> stillPicture(int frames) {
  auto planes = std::make_unique<PicturePlanes>();
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      planes->Y[c][r] = static_cast<float>(4.0 + 3.9 * std::sin(0.3 * c + 0.2 * r));
      planes->V[c][r] = static_cast<float>(2.0 * std::cos(0.1 * c * r));
      planes->U[c][r] = static_cast<float>(1.5 * std::sin(0.05 * c - 0.3 * r));
    }
  FrameSynthesizer synthesizer;
  std::vector<std::int16_t> tx(kFrameSamples);
  synthesizer.synthesize(*planes, tx.data());
  std::mt19937 rng(5);
  std::normal_distribution<double> noise(0.0, 9500.0);
  std::vector<std::int16_t> out;
  for (int f = 0; f < frames; ++f)
    for (int n = 0; n + 5 <= kFrameSamples; n += 5) {
      double sum = 0.0;
      for (int j = 0; j < 5; ++j) sum += tx[static_cast<std::size_t>(n + j)];
      const double v = sum / 5.0 + noise(rng);
      out.push_back(static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0))));
    }
  return out;
}

// The combiner run buffer after buffer over a long still picture; only combine() is timed.
void BM_CombinePerBuffer(benchmark::State& state) {
  static const std::vector<std::int16_t> audio = stillPicture(24);
  const int buffers = static_cast<int>(audio.size()) / kCaptureSamples;
  auto history = std::make_unique<SampleHistory>();
  auto planes = std::make_unique<SymbolPlanes>();
  auto bytes = std::make_unique<RunBytes>();
  Demodulator demodulator;
  const DemodSettings demod;
  const long long before = allocatedBytes();
  auto combiner = std::make_unique<FrameCombiner>();
  const long long held = allocatedBytes() - before;
  combiner->setSettings({true, static_cast<int>(state.range(0))});
  SenderEstimate sender;
  sender.clockKnown = state.range(1) != 0;
  sender.clockPpm = 100.0;
  combiner->setSender(sender);
  int b = 0;
  for (auto _ : state) {
    state.PauseTiming();
    updateHistory(*history, audio.data() + static_cast<std::ptrdiff_t>(b) * kCaptureSamples);
    b = (b + 1) % buffers;
    demodulator.transformHistory(*history, demod);
    demodulator.finishRun(*planes, *bytes);
    state.ResumeTiming();
    combiner->combine(demodulator.spectrum(), demodulator.mixed(), demod, *planes, *bytes);
    benchmark::DoNotOptimize(bytes->data());
  }
  state.counters["memory_MB"] = static_cast<double>(held) / 1e6;
  state.counters["most_frames"] = combiner->mostFramesCombined();
}
BENCHMARK(BM_CombinePerBuffer)
    ->ArgNames({"frames", "clock"})
    ->Args({8, 0})
    ->Args({16, 0})
    ->Args({8, 1})
    ->Args({16, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
