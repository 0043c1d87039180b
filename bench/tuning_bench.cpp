// Cost of the tuning aid per capture buffer (1.28 s of audio): the offset estimator while it
// searches and once locked, and the spectrum the tuning display shows.

#include "receiver/core/tuning/tuning_estimator.h"
#include "receiver/core/tuning/tuning_spectrum.h"
#include "transmitter/core/frame_synthesizer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace mosaic;

// `frames` frames of a varied picture from the transmitter, brought to 9600 Hz by averaging
// groups of five samples, mistuned by 5.3 Hz, with noise at about 15 dB in 3000 Hz.
std::vector<std::int16_t> receivedFrames(int frames) {
  auto planes = std::make_unique<PicturePlanes>();
  FrameSynthesizer synthesizer;
  std::vector<std::int16_t> tx(kFrameSamples);
  std::vector<double> at9600;
  for (int f = 0; f < frames; ++f) {
    for (int c = 1; c <= 47; ++c) {
      for (int r = 1; r <= 64; ++r) {
        planes->Y[c][r] = static_cast<float>(4.0 + 3.9 * std::sin(0.3 * c + 0.2 * r + f));
        planes->V[c][r] = static_cast<float>(2.0 * std::cos(0.1 * c * r));
        planes->U[c][r] = static_cast<float>(1.5 * std::sin(0.05 * c - 0.3 * r));
      }
    }
    synthesizer.synthesize(*planes, tx.data());
    for (int n = 0; n + 5 <= kFrameSamples; n += 5) {
      double sum = 0.0;
      for (int j = 0; j < 5; ++j) sum += tx[static_cast<std::size_t>(n + j)];
      at9600.push_back(sum / 5.0);
    }
  }
  // A frequency shift by a single-sideband mixer: the analytic signal is not needed for a cost
  // figure, a real mixer's image lands far outside the carriers' bins.
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, 1900.0);
  std::vector<std::int16_t> out(at9600.size());
  for (std::size_t n = 0; n < at9600.size(); ++n) {
    const double v =
        at9600[n] * std::cos(2 * M_PI * 5.3 * static_cast<double>(n) / 9600.0) + noise(rng);
    out[n] = static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
  }
  return out;
}

const std::vector<std::int16_t>& audio() {
  static const std::vector<std::int16_t> a = receivedFrames(12);
  return a;
}

// Every buffer of the recording in turn, from start-up: searching, then locked.
void BM_EstimatorPerBuffer(benchmark::State& state) {
  const auto& a = audio();
  const int buffers = static_cast<int>(a.size()) / kCaptureSamples;
  auto estimator = std::make_unique<TuningEstimator>();
  int b = 0;
  for (auto _ : state) {
    if (b == buffers) {
      state.PauseTiming();
      estimator->reset();
      b = 0;
      state.ResumeTiming();
    }
    estimator->addBuffer(a.data() + static_cast<std::ptrdiff_t>(b) * kCaptureSamples);
    ++b;
    benchmark::DoNotOptimize(estimator->estimate().offsetHz);
  }
  state.counters["locked_at_end"] = estimator->estimate().locked ? 1 : 0;
}
BENCHMARK(BM_EstimatorPerBuffer)->Unit(benchmark::kMicrosecond);

// Once locked: buffers after the first four of a long recording.
void BM_EstimatorLocked(benchmark::State& state) {
  static const std::vector<std::int16_t> a = receivedFrames(40);
  const int buffers = static_cast<int>(a.size()) / kCaptureSamples;
  auto estimator = std::make_unique<TuningEstimator>();
  int b = 0;
  for (auto _ : state) {
    if (b == 0 || b == buffers) {
      state.PauseTiming();
      estimator->reset();
      for (b = 0; b < 4; ++b)
        estimator->addBuffer(a.data() + static_cast<std::ptrdiff_t>(b) * kCaptureSamples);
      state.ResumeTiming();
    }
    estimator->addBuffer(a.data() + static_cast<std::ptrdiff_t>(b) * kCaptureSamples);
    ++b;
    benchmark::DoNotOptimize(estimator->estimate().offsetHz);
  }
  state.counters["locked"] = estimator->estimate().locked ? 1 : 0;
}
BENCHMARK(BM_EstimatorLocked)->Unit(benchmark::kMicrosecond);

// The spectrum over a whole buffer (the coarse search's), and the tuning display's: the newest
// 1024 samples over 300..3600 Hz and the newest 4096 around carrier 56.
void BM_SpectrumPerBuffer(benchmark::State& state) {
  const auto& a = audio();
  std::vector<float> buffer(a.begin(), a.begin() + kCaptureSamples);
  TuningSpectrum spectrum;
  for (auto _ : state) {
    spectrum.analyse(buffer);
    benchmark::DoNotOptimize(spectrum.newestDb()[0]);
  }
}
BENCHMARK(BM_SpectrumPerBuffer)->Unit(benchmark::kMicrosecond);

void BM_DisplaySpectrum(benchmark::State& state) {
  const auto& a = audio();
  std::vector<float> newest(a.begin(), a.begin() + kZoomSamples);
  TuningSpectrum spectrum;
  for (auto _ : state) {
    spectrum.analyse(newest);
    benchmark::DoNotOptimize(spectrum.newestDb()[0]);
  }
}
BENCHMARK(BM_DisplaySpectrum)->Unit(benchmark::kMicrosecond);

}  // namespace
