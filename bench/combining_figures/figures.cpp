#include "bench/combining_figures/figures.h"

#include "receiver/core/combining/frame_cells.h"
#include "receiver/core/demodulation/symbol_planes.h"
#include "receiver/core/tuning/slider_offset.h"
#include "receiver/core/tuning/tuning_estimator.h"
#include "signal/timing.h"
#include "tools/quality/sweep_plan.h"
#include "tools/quality/trial.h"

#include <cstdio>

namespace mosaic::figures {

ChannelSettings channelAt(Fading fading, double snrDb, std::uint64_t seed) {
  ChannelSettings c;
  c.snrDb = snrDb;
  c.fading = fading;
  c.passLowHz = tool::kSweepPassLowHz;
  c.passHighHz = tool::kSweepPassHighHz;
  c.seed = seed;
  return c;
}

std::uint64_t seedOf(std::initializer_list<int> parts) {
  std::uint64_t x = 0x9e3779b97f4a7c15ULL;
  for (int p : parts) {
    x ^= static_cast<std::uint64_t>(p + 1000) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 29)) * 0x94d049bb133111ebULL;
  }
  return x ^ (x >> 31);
}

std::vector<std::int16_t> heardThrough(const std::vector<float>& sent, const ChannelSettings& c) {
  return toSamples(applyChannel(sent, kRxSampleRateHz, c));
}

tool::PictureError runsError(const RunList& runs, const RunList& perfect, std::size_t first,
                             std::size_t last) {
  tool::PictureErrorSum sum;
  for (std::size_t r = first; r <= last && r < runs.size() && r < perfect.size(); ++r)
    sum.add(runs[r], perfect[r]);
  return sum.mean();
}

CombiningSettings combiningOf(int frames) {
  CombiningSettings c;
  c.on = true;
  c.frames = frames;
  return c;
}

CombiningSettings clockUnknown(CombiningSettings combining) {
  combining.followClock = false;
  return combining;
}

std::string snrText(std::optional<double> db) {
  if (!db) return "> grid";
  char text[16];
  std::snprintf(text, sizeof text, "%g dB", *db);
  return text;
}

DemodSettings tunedForClock(double clockPpm) {
  DemodSettings settings = tool::sweepReceiverSettings();
  applyTuningPositions(tuningPositions(clockCentringHz(clockPpm)), settings);
  return settings;
}

std::span<const std::uint8_t> newerHalf(const std::vector<std::uint8_t>& run) {
  const std::size_t first = static_cast<std::size_t>(kFramePositions - 1) * kBytesPerSymbol;
  return std::span<const std::uint8_t>(run).subspan(first, kFramePositions * kBytesPerSymbol);
}

}  // namespace mosaic::figures
