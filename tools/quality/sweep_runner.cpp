#include "tools/quality/sweep_runner.h"

#include "tools/quality/parallel_for.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace mosaic::tool {

namespace {

// A standard error this small [byte steps] is stable whatever the share.
constexpr double kSpreadFloor = 0.05;
// Seeds added to an unstable point per round.
constexpr int kSeedsPerRound = 2;

// Every trial has its own noise and fading; the same sweep gives the same figures.
std::uint64_t trialSeed(std::size_t channel, std::size_t snr, int seed, int picture) {
  std::uint64_t x = 0x9e3779b97f4a7c15ULL * (channel + 1) + 0xbf58476d1ce4e5b9ULL * (snr + 1) +
                    0x94d049bb133111ebULL * static_cast<std::uint64_t>(seed + 1) +
                    static_cast<std::uint64_t>(picture);
  x ^= x >> 31;
  x *= 0xbf58476d1ce4e5b9ULL;
  return x ^ (x >> 29);
}

struct Point {
  std::size_t channel, snr;
  std::vector<std::vector<TrialResult>> seeds;             // [seed][picture]
  std::vector<std::vector<CombinedTrialResult>> combined;  // the same, on channels that combine
  int wanted = 0;
};

struct Task {
  Point* point;
  int seed, picture;
};

// Each seed's figure is the mean over the pictures.
template <typename Result, typename Pick>
Figure seedFigure(const std::vector<std::vector<Result>>& seeds, Pick pick) {
  std::vector<double> values;
  for (const auto& pictures : seeds) {
    double sum = 0.0;
    for (const Result& r : pictures) sum += pick(r);
    values.push_back(sum / static_cast<double>(pictures.size()));
  }
  return figureOf(values);
}

Figure seedFigure(const Point& point, double (*pick)(const TrialResult&)) {
  return seedFigure(point.seeds, pick);
}

PointResult summarise(const Point& point, const SweepPlan& plan) {
  PointResult r;
  r.snrDb = plan.snrsDb[point.snr];
  r.luma = seedFigure(point, [](const TrialResult& t) { return t.manual.luma; });
  r.colour = seedFigure(point, [](const TrialResult& t) { return t.manual.colour; });
  r.tunedLuma = seedFigure(point, [](const TrialResult& t) { return t.tuned.luma; });
  r.tunedColour = seedFigure(point, [](const TrialResult& t) { return t.tuned.colour; });
  r.tunedOffsetHz = seedFigure(point, [](const TrialResult& t) { return t.tunedOffsetHz; });
  for (const TrialResult& t : point.seeds.front())
    if (!t.manualPicture.isNull()) r.pictures.push_back(t.manualPicture);
  if (!point.combined.empty()) {
    for (std::size_t n = 0; n < plan.combinedFrames.size(); ++n) {
      r.combinedLuma.push_back(seedFigure(
          point.combined, [n](const CombinedTrialResult& t) { return t.still[n].luma; }));
      r.combinedColour.push_back(seedFigure(
          point.combined, [n](const CombinedTrialResult& t) { return t.still[n].colour; }));
    }
    for (const CombinedTrialResult& t : point.combined.front())
      if (!t.picture.isNull()) r.combinedPictures.push_back(t.picture);
    for (std::size_t k = 0; k < CombinedSignals::kFramesAfterChange; ++k)
      r.afterChangeLuma.push_back(seedFigure(
          point.combined, [k](const CombinedTrialResult& t) { return t.afterChange[k]; }));
  }
  return r;
}

bool stable(const PointResult& r, const SweepPlan& plan) {
  const double share = plan.targetSpread;
  return r.luma.stable(share, kSpreadFloor) && r.colour.stable(share, kSpreadFloor) &&
         (!plan.autoTune ||
          (r.tunedLuma.stable(share, kSpreadFloor) && r.tunedColour.stable(share, kSpreadFloor)));
}

bool inStrip(const SweepPlan& plan, double snrDb) {
  return std::find(plan.stripSnrsDb.begin(), plan.stripSnrsDb.end(), snrDb) !=
         plan.stripSnrsDb.end();
}

}  // namespace

int sweepThreads(int limit) {
  const int hardware = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(hardware, 1, std::max(1, limit));
}

SweepResult runSweep(const SweepPlan& plan, int threads, const SweepProgress& progress) {
  const auto start = std::chrono::steady_clock::now();
  SweepResult result;
  result.plan = plan;
  result.pictures = sweepPictures();
  std::vector<double> clockPpms;
  for (const SweepChannel& c : plan.channels) clockPpms.push_back(c.settings.clockPpm);
  const SentSignals sent(result.pictures, plan.frames, clockPpms, threads);
  const int pictures = sent.pictures();
  for (int q = 0; q < pictures; ++q) result.perfectPictures.push_back(sent.perfectPicture(q));
  const bool combining =
      !plan.combinedFrames.empty() && std::any_of(plan.channels.begin(), plan.channels.end(),
                                                  [](const SweepChannel& c) { return c.combined; });
  std::unique_ptr<CombinedSignals> combinedSent;
  if (combining)
    combinedSent = std::make_unique<CombinedSignals>(
        result.pictures, *std::max_element(plan.combinedFrames.begin(), plan.combinedFrames.end()),
        threads);

  std::vector<Point> points;
  for (std::size_t c = 0; c < plan.channels.size(); ++c)
    for (std::size_t i = 0; i < plan.snrsDb.size(); ++i)
      points.push_back({c, i, {}, {}, plan.minSeeds});

  for (int round = 1;; ++round) {
    std::vector<Task> tasks;
    for (Point& p : points) {
      const int had = static_cast<int>(p.seeds.size());
      p.seeds.resize(static_cast<std::size_t>(std::max(had, p.wanted)),
                     std::vector<TrialResult>(static_cast<std::size_t>(pictures)));
      if (combining && plan.channels[p.channel].combined)
        p.combined.resize(p.seeds.size(),
                          std::vector<CombinedTrialResult>(static_cast<std::size_t>(pictures)));
      for (int s = had; s < p.wanted; ++s)
        for (int q = 0; q < pictures; ++q) tasks.push_back({&p, s, q});
    }
    if (tasks.empty()) break;
    if (progress)
      progress("round " + std::to_string(round) + ": " + std::to_string(tasks.size()) + " trials");
    parallelFor(tasks.size(), threads, [&](std::size_t n) {
      const Task& t = tasks[n];
      const SweepChannel& channel = plan.channels[t.point->channel];
      const double snr = plan.snrsDb[t.point->snr];
      const int lead =
          SentSignals::kLeads[static_cast<std::size_t>(t.seed) % SentSignals::kLeads.size()];
      TrialRequest request;
      request.sent = &sent.signal(t.picture, lead, channel.settings.clockPpm);
      request.perfect = &sent.perfect(t.picture, lead);
      request.channel = channel.settings;
      request.channel.clockPpm = 0.0;  // already in the sent signal
      request.channel.snrDb = snr;
      request.channel.seed = trialSeed(t.point->channel, t.point->snr, t.seed, t.picture);
      request.autoTune = plan.autoTune;
      request.keepPicture = t.seed == 0 && inStrip(plan, snr);
      t.point->seeds[static_cast<std::size_t>(t.seed)][static_cast<std::size_t>(t.picture)] =
          runTrial(request);
      if (!t.point->combined.empty())
        t.point->combined[static_cast<std::size_t>(t.seed)][static_cast<std::size_t>(t.picture)] =
            runCombinedTrial(*combinedSent, t.picture, lead, request.channel, plan.combinedFrames,
                             request.keepPicture);
    });
    result.trials += static_cast<long long>(tasks.size());
    for (Point& p : points)
      if (!stable(summarise(p, plan), plan) && p.wanted < plan.maxSeeds)
        p.wanted = std::min(plan.maxSeeds, p.wanted + kSeedsPerRound);
  }

  result.points.assign(plan.channels.size(), {});
  for (const Point& p : points) result.points[p.channel].push_back(summarise(p, plan));
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace mosaic::tool
