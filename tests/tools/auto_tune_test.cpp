// Automatic tuning: the offset, clock error and frame starts that the estimator finds in the
// transmitter's signal after a radio channel, and mosaic decode --auto-tune.

#include "air_signal.h"
#include "receiver/core/tuning/tuning_estimator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace mosaic {
namespace {

struct Condition {
  double offsetHz;
  double snrDb;
  double clockPpm;
  Fading fading;
  int seed;
};

TuningEstimate estimateAfter(const std::vector<std::int16_t>& received, int buffers) {
  auto estimator = std::make_unique<TuningEstimator>();
  for (int b = 0; b < buffers && (b + 1) * kCaptureSamples <= int(received.size()); ++b) {
    estimator->addBuffer(received.data() + b * kCaptureSamples);
    const auto& e = estimator->estimate();
    std::printf("  buffer %d: %+.3f Hz conf %.2f locked %d clock %+.0f coh %.2f start %lld\n",
                b + 1, e.offsetHz, e.confidence, e.locked, e.clockPpm, e.boundaryCoherence,
                e.frameStartSample);
  }
  return estimator->estimate();
}

TEST(AutoTune, Explore) {
  const auto sent = test::transmittedFrames(9, 20000);
  for (const Condition c :
       {Condition{0.0, 40, 0, Fading::None, 1}, Condition{3.0, 20, 0, Fading::None, 2},
        Condition{-7.3, 10, 0, Fading::None, 3}, Condition{12.34, 20, 100, Fading::None, 4},
        Condition{-19.6, 15, 0, Fading::Moderate, 5}}) {
    ChannelSettings ch;
    ch.offsetHz = c.offsetHz;
    ch.snrDb = c.snrDb;
    ch.clockPpm = c.clockPpm;
    ch.fading = c.fading;
    ch.seed = c.seed;
    std::printf("offset %+.2f snr %.0f clock %.0f\n", c.offsetHz, c.snrDb, c.clockPpm);
    const auto e = estimateAfter(test::receivedAt9600(sent, ch), 8);
    std::printf("  -> error %+.3f\n", e.offsetHz + c.offsetHz);
  }
}

}  // namespace
}  // namespace mosaic
