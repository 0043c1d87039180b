// The SNR down to which the tuning estimator locks on a still picture and finds its frames.

#include "bench/combining_figures/figures.h"

#include "receiver/core/tuning/tuning_estimator.h"
#include "signal/carrier_plan.h"
#include "signal/timing.h"
#include "tools/quality/parallel_for.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace mosaic::figures {

using namespace mosaic::tool;

namespace {

constexpr double kClockTolerancePpm = 10.0;
constexpr double kOffsetToleranceHz = 0.3;                // enough to get the picture in
constexpr double kBoundaryTolerance = kBlockSamples / 4;  // [samples]

}  // namespace

void lockSection(const SentSignals& sent, const Options& options) {
  const int seeds = options.quick ? 1 : 4;
  constexpr int kBuffers = 16;
  std::printf(
      "\n## The tuning estimator on a still picture: the share of trials locked on the offset "
      "that centres the luminance carriers (within %g Hz), with the clock within %g ppm and a "
      "frame start within %g "
      "samples, after 4, 8 and 16 buffers; and of those with the offset alone within it, after "
      "8 and 16 (%d pictures x %d seeds; sending clock 0 and +100 ppm)\n\n",
      kOffsetToleranceHz, kClockTolerancePpm, kBoundaryTolerance, sent.pictures(), seeds);
  std::printf(
      "| channel | clock | SNR | after 4 | after 8 | after 16 | offset, after 8 | offset, after 16 "
      "| offset's error, mean abs [Hz] |\n"
      "|---|--:|--:|--:|--:|--:|--:|--:|--:|\n");
  for (const ChannelKind& channel : {kChannels[0], kChannels[1]})
    for (double ppm : {0.0, 100.0})
      for (double snr : {12.0, 9.0, 6.0, 3.0, 0.0, -3.0}) {
        struct Task {
          int picture, seed;
          std::array<bool, 3> locked{};
          std::array<bool, 3> offsetRight{};
          double offset = 0.0;
        };
        std::vector<Task> tasks;
        for (int q = 0; q < sent.pictures(); ++q)
          for (int seed = 0; seed < seeds; ++seed) tasks.push_back({q, seed});
        parallelFor(tasks.size(), kThreads, [&](std::size_t i) {
          Task& t = tasks[i];
          const int lead = SentSignals::kLeads[static_cast<std::size_t>(t.seed) % 4];
          const auto heard = heardThrough(
              sent.signal(t.picture, lead, ppm),
              channelAt(channel.fading, snr, seedOf({t.picture, t.seed, int(snr), 9})));
          auto estimator = std::make_unique<TuningEstimator>();
          const double frameSamples = kCaptureSamples / (1.0 + ppm * 1e-6);
          // The channel is not mistuned: only the clock moves the carriers.
          const double centringHz = clockCentringHz(ppm);
          for (int b = 0; b < kBuffers; ++b) {
            estimator->addBuffer(heard.data() + static_cast<std::ptrdiff_t>(b) * kCaptureSamples);
            const TuningEstimate& e = estimator->estimate();
            const int at = b == 3 ? 0 : b == 7 ? 1 : b == 15 ? 2 : -1;
            if (at < 0) continue;
            // Locked on the right multiple of 0.78125 Hz, with
            // the clock, and a boundary within a quarter symbol of a true frame start (one
            // buffer's boundary wanders by tens of samples; the aligned view takes a median).
            const bool offsetRight = std::abs(e.offsetHz - centringHz) <= kOffsetToleranceHz;
            t.offsetRight[static_cast<std::size_t>(at)] = offsetRight;
            bool good = e.locked && std::abs(e.clockPpm - ppm) <= kClockTolerancePpm && offsetRight;
            if (good) {
              const double frames = std::round((e.frameStartSample - lead) / frameSamples);
              const double miss = e.frameStartSample - lead - frames * frameSamples;
              good = std::abs(miss) <= kBoundaryTolerance;
            }
            t.locked[static_cast<std::size_t>(at)] = good;
            if (at == 2) t.offset = std::abs(e.offsetHz - centringHz);
          }
        });
        std::array<int, 3> locked{};
        std::array<int, 3> offsetRight{};
        double offset = 0.0;
        for (const Task& t : tasks) {
          for (std::size_t k = 0; k < 3; ++k) {
            locked[k] += t.locked[k];
            offsetRight[k] += t.offsetRight[k];
          }
          offset += t.offset / tasks.size();
        }
        std::printf("| %s | %+g ppm | %g dB |", channel.name, ppm, snr);
        for (int l : locked) std::printf(" %d/%zu |", l, tasks.size());
        for (std::size_t k : {1, 2}) std::printf(" %d/%zu |", offsetRight[k], tasks.size());
        std::printf(" %.2f |\n", offset);
      }
  std::fflush(stdout);
}

}  // namespace mosaic::figures
