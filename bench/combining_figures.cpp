// What combining the repeated frames of a still picture gives, measured through the whole system
// (the transmitter's pictures and transmit chain, the radio channel, the receiver with its tuning
// estimator) and printed for people, never asserted.
//
//   combining_figures [--quick] [-o DIR] [SECTION...]
// Sections: usable (usable-down-to SNR per channel, frames combined and sending clock, and the
// errors behind it, 30 dB included), clock (the sending clock followed or not), change (how soon
// a new picture is usable), still (false restarts on a still picture), crawl (the crawl line
// running), lock (the SNR down to which the tuning estimator locks), moving (moving pictures,
// combined and not), pictures (strips of received pictures, written to DIR).

#include "channel/channel_model.h"
#include "receiver/app/picture_image.h"
#include "receiver/core/combining/frame_combiner.h"
#include "receiver/core/tuning/tuning_estimator.h"
#include "signal/timing.h"
#include "tools/quality/combined_decoding.h"
#include "tools/quality/parallel_for.h"
#include "tools/quality/picture_error.h"
#include "tools/quality/picture_strip.h"
#include "tools/quality/sent_signals.h"
#include "tools/quality/sweep_plan.h"
#include "tools/quality/usable_limit.h"
#include "tools/test_card.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/transmit_chain.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace mosaic;
using namespace mosaic::tool;

constexpr int kThreads = 2;
constexpr int kSentFrames = 19;  // enough for 16 frames combined and three runs after
constexpr std::array<int, 3> kWindows = {4, 8, 16};

struct Options {
  bool quick = false;
  std::string pictures;  // where the picture strips go; none when empty
  std::set<std::string> sections;
  bool wants(const std::string& s) const { return sections.empty() || sections.count(s) > 0; }
};

struct ChannelKind {
  const char* name;
  Fading fading;
};
constexpr std::array<ChannelKind, 3> kChannels = {{{"white noise", Fading::None},
                                                   {"CCIR moderate", Fading::Moderate},
                                                   {"CCIR poor", Fading::Poor}}};

ChannelSettings channelAt(Fading fading, double snrDb, std::uint64_t seed) {
  ChannelSettings c;
  c.snrDb = snrDb;
  c.fading = fading;
  c.passLowHz = kSweepPassLowHz;
  c.passHighHz = kSweepPassHighHz;
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

// The mean error of runs first..last (inclusive) against the perfect channel's.
PictureError runsError(const RunList& runs, const RunList& perfect, std::size_t first,
                       std::size_t last) {
  PictureErrorSum sum;
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

std::string snrText(std::optional<double> db) {
  if (!db) return "> grid";
  char text[16];
  std::snprintf(text, sizeof text, "%g dB", *db);
  return text;
}

// ---- usable down to ----------------------------------------------------------------------

// Receivers compared: the single-frame receiver, then combining over each window.
constexpr int kReceivers = 1 + static_cast<int>(kWindows.size());
std::string receiverName(int r) {
  return r == 0 ? "one frame" : "combined, " + std::to_string(kWindows[r - 1]) + " frames";
}

void usableSection(const SentSignals& sent, const Options& options) {
  const std::vector<double> clocks =
      options.quick ? std::vector<double>{0.0} : std::vector<double>{0.0, 100.0, -100.0};
  std::vector<double> snrs;
  for (int snr = 30; snr >= -3; snr -= 3) snrs.push_back(snr);
  if (options.quick) snrs = {30, 12, 9, 6, 3, 0, -3};
  const int seeds = options.quick ? 1 : 2;
  struct Task {
    std::size_t clock, channel, snr;
    int picture, seed;
    std::array<PictureError, kReceivers> error{};
  };
  std::vector<Task> tasks;
  for (std::size_t k = 0; k < clocks.size(); ++k)
    for (std::size_t c = 0; c < kChannels.size(); ++c)
      for (std::size_t s = 0; s < snrs.size(); ++s)
        for (int q = 0; q < sent.pictures(); ++q)
          for (int seed = 0; seed < seeds; ++seed) tasks.push_back({k, c, s, q, seed, {}});
  const DemodSettings demod = sweepReceiverSettings();
  parallelFor(tasks.size(), kThreads, [&](std::size_t i) {
    Task& t = tasks[i];
    const int lead = SentSignals::kLeads[static_cast<std::size_t>(t.seed + t.picture) % 4];
    const auto& perfect = sent.perfect(t.picture, lead);
    const auto heard =
        heardThrough(sent.signal(t.picture, lead, clocks[t.clock]),
                     channelAt(kChannels[t.channel].fading, snrs[t.snr],
                               seedOf({static_cast<int>(t.channel), static_cast<int>(t.snr),
                                       t.picture, t.seed, static_cast<int>(t.clock)})));
    t.error[0] = runsError(decodeRuns(heard, demod), perfect, 1, kSentFrames - 1);
    for (std::size_t w = 0; w < kWindows.size(); ++w) {
      const int n = kWindows[w];
      t.error[w + 1] = runsError(combinedRuns(heard, demod, combiningOf(n)), perfect,
                                 static_cast<std::size_t>(n), static_cast<std::size_t>(n + 2));
    }
  });
  // [clock][channel][receiver][snr]
  std::map<std::array<std::size_t, 4>, std::pair<double, double>> mean;
  std::map<std::array<std::size_t, 4>, int> count;
  for (const Task& t : tasks)
    for (int r = 0; r < kReceivers; ++r) {
      auto& m = mean[{t.clock, t.channel, static_cast<std::size_t>(r), t.snr}];
      m.first += t.error[static_cast<std::size_t>(r)].luma;
      m.second += t.error[static_cast<std::size_t>(r)].colour;
      ++count[{t.clock, t.channel, static_cast<std::size_t>(r), t.snr}];
    }
  for (auto& [key, m] : mean) {
    m.first /= count[key];
    m.second /= count[key];
  }
  for (std::size_t k = 0; k < clocks.size(); ++k) {
    std::printf("\n## Usable down to (mean luminance error <= %g steps), sending clock %+g ppm\n\n",
                kUsableLumaError, clocks[k]);
    std::printf("| channel |");
    for (int r = 0; r < kReceivers; ++r) std::printf(" %s |", receiverName(r).c_str());
    std::printf("\n|---|");
    for (int r = 0; r < kReceivers; ++r) std::printf("--:|");
    std::printf("\n");
    for (std::size_t c = 0; c < kChannels.size(); ++c) {
      std::printf("| %s |", kChannels[c].name);
      for (int r = 0; r < kReceivers; ++r) {
        std::optional<double> lowest;
        for (std::size_t s = 0; s < snrs.size(); ++s) {
          if (mean[{k, c, static_cast<std::size_t>(r), s}].first > kUsableLumaError) break;
          lowest = snrs[s];
        }
        std::printf(" %s |", snrText(lowest).c_str());
      }
      std::printf("\n");
    }
    for (std::size_t c = 0; c < kChannels.size(); ++c) {
      std::printf("\n%s, clock %+g ppm: luminance (colour) error [steps]\n\n| receiver |",
                  kChannels[c].name, clocks[k]);
      for (double snr : snrs) std::printf(" %g |", snr);
      std::printf("\n|---|");
      for (std::size_t s = 0; s < snrs.size(); ++s) std::printf("--:|");
      std::printf("\n");
      for (int r = 0; r < kReceivers; ++r) {
        std::printf("| %s |", receiverName(r).c_str());
        for (std::size_t s = 0; s < snrs.size(); ++s) {
          const auto& m = mean[{k, c, static_cast<std::size_t>(r), s}];
          std::printf(" %.1f (%.1f) |", m.first, m.second);
        }
        std::printf("\n");
      }
    }
  }
  std::fflush(stdout);
}

// ---- the sending clock ------------------------------------------------------------------------

void clockSection(const SentSignals& sent, const Options& options) {
  const int seeds = options.quick ? 1 : 4;
  constexpr int kWindow = 16;
  std::printf(
      "\n## The sending clock off: combining %d frames with the estimator's clock followed "
      "and without (white noise; luminance error [steps] after %d frames, %d pictures x "
      "%d seeds)\n\n| clock | SNR | one frame | followed | not followed |\n"
      "|--:|--:|--:|--:|--:|\n",
      kWindow, kWindow, sent.pictures(), seeds);
  const DemodSettings demod = sweepReceiverSettings();
  for (double ppm : {0.0, 100.0, -100.0})
    for (double snr : {30.0, 12.0, 6.0}) {
      struct Task {
        int picture, seed;
        double single = 0.0, followed = 0.0, unaware = 0.0;
      };
      std::vector<Task> tasks;
      for (int q = 0; q < sent.pictures(); ++q)
        for (int seed = 0; seed < seeds; ++seed) tasks.push_back({q, seed});
      parallelFor(tasks.size(), kThreads, [&](std::size_t i) {
        Task& t = tasks[i];
        const int lead = SentSignals::kLeads[static_cast<std::size_t>(t.seed) % 4];
        const auto& perfect = sent.perfect(t.picture, lead);
        const auto heard =
            heardThrough(sent.signal(t.picture, lead, ppm),
                         channelAt(Fading::None, snr, seedOf({t.picture, t.seed, int(snr), 13})));
        const auto last = static_cast<std::size_t>(kWindow);
        t.single = runsError(decodeRuns(heard, demod), perfect, last, last + 2).luma;
        t.followed =
            runsError(combinedRuns(heard, demod, combiningOf(kWindow)), perfect, last, last + 2)
                .luma;
        t.unaware = runsError(combinedRuns(heard, demod, combiningOf(kWindow), false), perfect,
                              last, last + 2)
                        .luma;
      });
      Task mean{};
      for (const Task& t : tasks) {
        mean.single += t.single / tasks.size();
        mean.followed += t.followed / tasks.size();
        mean.unaware += t.unaware / tasks.size();
      }
      std::printf("| %+g ppm | %g dB | %.1f | %.1f | %.1f |\n", ppm, snr, mean.single,
                  mean.followed, mean.unaware);
    }
  std::fflush(stdout);
}

// ---- a new picture --------------------------------------------------------------------------

// The bytes of the newer half of a run (symbols 48..95): the newest frame.
std::span<const std::uint8_t> newerHalf(const std::vector<std::uint8_t>& run) {
  const std::size_t first = static_cast<std::size_t>(kFramePositions - 1) * kBytesPerSymbol;
  return std::span<const std::uint8_t>(run).subspan(first, kFramePositions * kBytesPerSymbol);
}

// `first` frames of picture A, then frames of picture B, at 9600 Hz with `lead` silence first.
std::vector<float> pictureChange(const QImage& a, const QImage& b, int first, int then, int lead) {
  std::vector<float> signal(static_cast<std::size_t>(lead), 0.0f);
  for (const auto& part : {transmittedAt9600(a, first), transmittedAt9600(b, then)})
    signal.insert(signal.end(), part.begin(), part.end());
  return signal;
}

void changeSection(const std::vector<SweepPicture>& pictures, const Options& options) {
  constexpr int kBefore = 8;
  constexpr int kAfter = 6;
  const int seeds = options.quick ? 1 : 3;
  const std::vector<double> snrs = {12, 9, 6, 3};
  std::printf("\n## A new picture after %d frames of another (white noise, combining 8 frames)\n\n",
              kBefore);
  std::printf(
      "Luminance error of the newest frame k frames after the change, mean over every pair "
      "of pictures and %d seeds; a frame counts as usable at <= %g steps.\n\n",
      seeds, kUsableLumaError);
  std::printf("| SNR | one frame, any k |");
  for (int k = 1; k <= kAfter; ++k) std::printf(" k = %d |", k);
  std::printf(" usable again at k |\n|---|--:|");
  for (int k = 1; k <= kAfter + 1; ++k) std::printf("--:|");
  std::printf("\n");
  const DemodSettings demod = sweepReceiverSettings();
  struct Pair {
    int a, b;
  };
  std::vector<Pair> pairs;
  for (int a = 0; a < static_cast<int>(pictures.size()); ++a)
    for (int b = 0; b < static_cast<int>(pictures.size()); ++b)
      if (a != b) pairs.push_back({a, b});
  for (double snr : snrs) {
    struct Task {
      Pair pair;
      int seed;
      std::array<double, kAfter> combined{};
      double single = 0.0;
    };
    std::vector<Task> tasks;
    for (const Pair& pair : pairs)
      for (int seed = 0; seed < seeds; ++seed) tasks.push_back({pair, seed, {}, 0.0});
    parallelFor(tasks.size(), kThreads, [&](std::size_t i) {
      Task& t = tasks[i];
      const int lead = SentSignals::kLeads[static_cast<std::size_t>(t.seed) % 4];
      const auto clean = pictureChange(pictures[static_cast<std::size_t>(t.pair.a)].picture,
                                       pictures[static_cast<std::size_t>(t.pair.b)].picture,
                                       kBefore, kAfter + 1, lead);
      const RunList perfect = decodeRuns(toSamples(clean), demod);
      const auto heard = heardThrough(
          clean, channelAt(Fading::None, snr, seedOf({t.pair.a, t.pair.b, t.seed, int(snr)})));
      const RunList single = decodeRuns(heard, demod);
      const RunList combined = combinedRuns(heard, demod, combiningOf(8));
      PictureErrorSum singleSum;
      for (int k = 1; k <= kAfter; ++k) {
        const auto r = static_cast<std::size_t>(kBefore + k - 1);
        PictureErrorSum sum;
        sum.add(newerHalf(combined[r]), newerHalf(perfect[r]));
        t.combined[static_cast<std::size_t>(k - 1)] = sum.mean().luma;
        singleSum.add(newerHalf(single[r]), newerHalf(perfect[r]));
      }
      t.single = singleSum.mean().luma;
    });
    std::array<double, kAfter> mean{};
    double single = 0.0;
    for (const Task& t : tasks) {
      for (int k = 0; k < kAfter; ++k)
        mean[static_cast<std::size_t>(k)] += t.combined[static_cast<std::size_t>(k)] / tasks.size();
      single += t.single / tasks.size();
    }
    int usableAt = 0;
    for (int k = kAfter; k >= 1 && mean[static_cast<std::size_t>(k - 1)] <= kUsableLumaError; --k)
      usableAt = k;
    std::printf("| %g dB | %.1f |", snr, single);
    for (double m : mean) std::printf(" %.1f |", m);
    std::printf(" %s |\n", usableAt > 0 ? std::to_string(usableAt).c_str() : "not within 6");
  }
  std::fflush(stdout);
}

// ---- a still picture: false restarts -----------------------------------------------------------

void stillSection(const SentSignals& sent, const Options& options) {
  const int frames = options.quick ? 40 : 104;
  struct Case {
    ChannelKind channel;
    double snr;
  };
  const std::vector<Case> cases = {{kChannels[0], 6},  {kChannels[0], 3}, {kChannels[0], 0},
                                   {kChannels[1], 30}, {kChannels[1], 6}, {kChannels[1], 3},
                                   {kChannels[2], 6}};
  std::printf("\n## A still picture for %d frames, combining 8: false restarts\n\n", frames - 4);
  std::printf(
      "Restarts: patches that started again on a confirmed change (of %d patches per "
      "frame); stray: patch frames shown alone while a change waited for confirmation. "
      "Counted from the fifth frame on, summed over the %d pictures.\n\n",
      kPatches, sent.pictures());
  std::printf(
      "| channel | SNR | restarts | frames with a restart | stray region frames |\n"
      "|---|--:|--:|--:|--:|\n");
  // The still picture: the sweep's signal repeated.
  std::vector<std::vector<float>> longSignals;
  for (int q = 0; q < sent.pictures(); ++q) {
    const auto& one = sent.signal(q, 0, 0.0);
    std::vector<float> s;
    while (static_cast<int>(s.size()) < frames * kCaptureSamples)
      s.insert(s.end(), one.begin() + kCaptureSamples, one.begin() + 2 * kCaptureSamples);
    longSignals.push_back(std::move(s));
  }
  for (const Case& c : cases) {
    struct Task {
      int picture;
      long long restarts = 0, strays = 0, restartFrames = 0;
    };
    std::vector<Task> tasks;
    for (int q = 0; q < sent.pictures(); ++q) tasks.push_back({q});
    parallelFor(tasks.size(), kThreads, [&](std::size_t i) {
      Task& t = tasks[i];
      const auto heard =
          heardThrough(longSignals[static_cast<std::size_t>(t.picture)],
                       channelAt(c.channel.fading, c.snr, seedOf({t.picture, int(c.snr), 77})));
      int run = 0;
      long long restartsBefore = 0, straysBefore = 0;
      decodeCombined(heard, sweepReceiverSettings(), combiningOf(8), true,
                     [&](const ReceiveChain& chain) {
                       const FrameCombiner& f = *chain.combiner();
                       if (++run == 4) {
                         restartsBefore = f.restarts();
                         straysBefore = f.strayFrames();
                       } else if (run > 4) {
                         if (f.restarts() > t.restarts + restartsBefore) ++t.restartFrames;
                         t.restarts = f.restarts() - restartsBefore;
                         t.strays = f.strayFrames() - straysBefore;
                       }
                     });
    });
    long long restarts = 0, strays = 0, restartFrames = 0;
    for (const Task& t : tasks) {
      restarts += t.restarts;
      strays += t.strays;
      restartFrames += t.restartFrames;
    }
    std::printf("| %s | %g dB | %lld | %lld of %d | %lld |\n", c.channel.name, c.snr, restarts,
                restartFrames, (frames - 4) * sent.pictures(), strays);
  }
  std::fflush(stdout);
}

// ---- the crawl line --------------------------------------------------------------------------

// The test card with the crawl running, `frames` frames at 9600 Hz after `lead` silence.
std::vector<float> crawlingTestCard(int frames, int lead) {
  ComposedVideoArea area;
  area.setSourcePicture(drawTestCard());
  CrawlState crawl;
  crawl.crawlOn = true;
  TransmitChain chain;
  const std::string text = "CQ CQ DE MOSAIC TV 73 ";
  std::vector<float> sent(static_cast<std::size_t>(frames) * kFrameSamples);
  std::vector<std::int16_t> frame(kFrameSamples);
  for (int f = 0; f < frames; ++f) {
    buildComposedFrame(chain, area, crawl, text, frame.data());
    std::copy(frame.begin(), frame.end(),
              sent.begin() + static_cast<std::ptrdiff_t>(f) * kFrameSamples);
  }
  const std::vector<std::int16_t> at9600 = resampledTo9600(sent);
  std::vector<float> out(static_cast<std::size_t>(lead), 0.0f);
  out.insert(out.end(), at9600.begin(), at9600.end());
  return out;
}

void crawlSection(const Options& options) {
  constexpr int kFrames = 14;
  const int seeds = options.quick ? 1 : 3;
  std::printf("\n## The test card with the crawl line running, combining 8 frames\n\n");
  std::printf(
      "Per row band (four luminance rows and their red difference carrier, band 0 at the "
      "bottom; band 9 the blue difference carriers): frames combined after %d frames "
      "(fewest..most over the band's 48 columns), and the luminance error of the newest "
      "frame over the last 4 runs, mean of %d seeds, against one frame alone.\n\n",
      kFrames, seeds);
  const DemodSettings demod = sweepReceiverSettings();
  for (double snr : {30.0, 9.0, 6.0}) {
    std::array<int, kRowBands> fewest, most;
    fewest.fill(99);
    most.fill(0);
    std::array<double, kRowBands> errorCombined{}, errorSingle{};
    for (int seed = 0; seed < seeds; ++seed) {
      const int lead = SentSignals::kLeads[static_cast<std::size_t>(seed) % 4];
      const auto clean = crawlingTestCard(kFrames, lead);
      const RunList perfect = decodeRuns(toSamples(clean), demod);
      const auto heard =
          heardThrough(clean, channelAt(Fading::None, snr, seedOf({seed, int(snr), 5})));
      const RunList single = decodeRuns(heard, demod);
      RunList combined;
      decodeCombined(heard, demod, combiningOf(8), true, [&](const ReceiveChain& chain) {
        combined.emplace_back(chain.runBytes().begin(), chain.runBytes().end());
        if (static_cast<int>(combined.size()) == kFrames)
          for (int patch = 0; patch < kPatches; ++patch) {
            const auto band = static_cast<std::size_t>(bandOfPatch(patch));
            fewest[band] = std::min(fewest[band], chain.combiner()->framesCombined(patch));
            most[band] = std::max(most[band], chain.combiner()->framesCombined(patch));
          }
      });
      for (std::size_t r = kFrames - 4; r < kFrames; ++r)
        for (int t = kFramePositions; t < kBlocksPerRun; ++t)
          for (int slot = kFirstUsedSlot; slot < kFirstColourSlot; ++slot)
            for (int p = 0; p < kSubColumns; ++p) {
              const std::size_t i = runByteIndex(t, slot, p);
              const auto band = static_cast<std::size_t>(rowBandOfSlot(slot));
              errorCombined[band] += std::abs(combined[r][i] - perfect[r][i]);
              errorSingle[band] += std::abs(single[r][i] - perfect[r][i]);
            }
    }
    const double cellsPerBand = 4.0 * kFramePositions * kSubColumns * 4 * seeds;
    std::printf(
        "%g dB:\n\n| band | frames combined | error combined | error one frame |\n"
        "|--:|--:|--:|--:|\n",
        snr);
    for (int b = 0; b < kRowBands; ++b) {
      const auto ub = static_cast<std::size_t>(b);
      if (b < kRowBands - 1)
        std::printf("| %d | %d..%d | %.1f | %.1f |\n", b, fewest[ub], most[ub],
                    errorCombined[ub] / cellsPerBand, errorSingle[ub] / cellsPerBand);
      else
        std::printf("| %d | %d..%d | | |\n", b, fewest[ub], most[ub]);
    }
    std::printf("\n");
  }
  std::fflush(stdout);
}

// ---- the estimator's lock --------------------------------------------------------------------

void lockSection(const SentSignals& sent, const Options& options) {
  const int seeds = options.quick ? 1 : 4;
  constexpr int kBuffers = 16;
  std::printf(
      "\n## The tuning estimator on a still picture: the share of trials locked, with the "
      "frame start within 16 samples and the clock within 10 ppm, after 4, 8 and 16 "
      "buffers (%d pictures x %d seeds; sending clock 0 and +100 ppm)\n\n",
      sent.pictures(), seeds);
  std::printf(
      "| channel | clock | SNR | after 4 | after 8 | after 16 | offset found, mean abs [Hz] |\n"
      "|---|--:|--:|--:|--:|--:|--:|\n");
  for (const ChannelKind& channel : {kChannels[0], kChannels[1]})
    for (double ppm : {0.0, 100.0})
      for (double snr : {12.0, 9.0, 6.0, 3.0, 0.0, -3.0}) {
        struct Task {
          int picture, seed;
          std::array<bool, 3> locked{};
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
          for (int b = 0; b < kBuffers; ++b) {
            estimator->addBuffer(heard.data() + static_cast<std::ptrdiff_t>(b) * kCaptureSamples);
            const TuningEstimate& e = estimator->estimate();
            const int at = b == 3 ? 0 : b == 7 ? 1 : b == 15 ? 2 : -1;
            if (at < 0) continue;
            bool good = e.locked && std::abs(e.clockPpm - ppm) <= 10.0;
            if (good) {
              // How far the boundary found lies from the nearest true frame start.
              const double frames = std::round((e.frameStartSample - lead) / frameSamples);
              const double miss = e.frameStartSample - lead - frames * frameSamples;
              good = std::abs(miss) <= 16.0;
            }
            t.locked[static_cast<std::size_t>(at)] = good;
            if (at == 2) t.offset = std::abs(e.offsetHz);
          }
        });
        std::array<int, 3> locked{};
        double offset = 0.0;
        for (const Task& t : tasks) {
          for (int k = 0; k < 3; ++k)
            locked[static_cast<std::size_t>(k)] += t.locked[static_cast<std::size_t>(k)];
          offset += t.offset / tasks.size();
        }
        std::printf("| %s | %+g ppm | %g dB |", channel.name, ppm, snr);
        for (int l : locked) std::printf(" %d/%zu |", l, tasks.size());
        std::printf(" %.2f |\n", offset);
      }
  std::fflush(stdout);
}

// ---- moving pictures --------------------------------------------------------------------------

// A moving picture: the landscape panning two pixels a frame, or a box moving over the test
// card, at 9600 Hz after `lead` silence.
std::vector<float> movingPicture(bool pan, int frames, int lead) {
  const QImage landscape = sweepPictures()[1].picture;
  const QImage card = sweepPictures()[0].picture;
  std::vector<float> out(static_cast<std::size_t>(lead), 0.0f);
  for (int f = 0; f < frames; ++f) {
    QImage picture = pan ? landscape.copy(0, 0, landscape.width(), landscape.height()) : card;
    QPainter painter(&picture);
    if (pan) {
      painter.drawImage(2 * f - 60, 0, landscape);
      painter.drawImage(2 * f - 60 - landscape.width(), 0, landscape);
    } else {
      painter.fillRect(40 + (6 * f) % 80, 40, 20, 20, Qt::white);
    }
    painter.end();
    const auto one = transmittedAt9600(picture, 1);
    out.insert(out.end(), one.begin(), one.end());
  }
  return out;
}

void movingSection(const Options& options) {
  constexpr int kFrames = 12;
  const int seeds = options.quick ? 1 : 3;
  std::printf(
      "\n## Moving pictures: the luminance error of the newest frame, runs 2..%d, against "
      "the receiver's decoding of the clean signal (white noise, %d seeds)\n\n"
      "| picture | SNR | one frame | combined, 8 frames |\n|---|--:|--:|--:|\n",
      kFrames - 1, seeds);
  const DemodSettings demod = sweepReceiverSettings();
  for (bool pan : {true, false})
    for (double snr : {30.0, 15.0, 9.0, 6.0}) {
      double single = 0.0, combined = 0.0;
      for (int seed = 0; seed < seeds; ++seed) {
        const int lead = SentSignals::kLeads[static_cast<std::size_t>(seed) % 4];
        const auto clean = movingPicture(pan, kFrames, lead);
        const RunList perfect = decodeRuns(toSamples(clean), demod);
        const auto heard =
            heardThrough(clean, channelAt(Fading::None, snr, seedOf({seed, int(snr), pan})));
        const RunList one = decodeRuns(heard, demod);
        const RunList eight = combinedRuns(heard, demod, combiningOf(8));
        PictureErrorSum a, b;
        for (std::size_t r = 2; r < kFrames; ++r) {
          a.add(newerHalf(one[r]), newerHalf(perfect[r]));
          b.add(newerHalf(eight[r]), newerHalf(perfect[r]));
        }
        single += a.mean().luma / seeds;
        combined += b.mean().luma / seeds;
      }
      std::printf("| %s | %g dB | %.1f | %.1f |\n", pan ? "landscape panning" : "moving box", snr,
                  single, combined);
    }
  std::fflush(stdout);
}

// ---- picture strips --------------------------------------------------------------------------

void picturesSection(const SentSignals& sent, const Options& options) {
  if (options.pictures.empty()) return;
  constexpr int kRun = 10;  // after ten frames
  const std::vector<double> snrs = {30, 9, 6, 3, 0};
  const DemodSettings demod = sweepReceiverSettings();
  for (const ChannelKind& channel : {kChannels[0], kChannels[1]})
    for (int frames : {0, 8, 16}) {
      std::vector<StripColumn> columns;
      columns.push_back({"perfect", {}});
      for (int q = 0; q < sent.pictures(); ++q)
        columns.back().rows.push_back(sent.perfectPicture(q));
      for (double snr : snrs) {
        char caption[32];
        std::snprintf(caption, sizeof caption, "%g dB", snr);
        columns.push_back({caption, {}});
        for (int q = 0; q < sent.pictures(); ++q) {
          const auto heard = heardThrough(
              sent.signal(q, 0, 0.0), channelAt(channel.fading, snr, seedOf({q, int(snr), 21})));
          QImage picture;
          int run = 0;
          decodeCombined(heard, demod, frames > 0 ? combiningOf(frames) : CombiningSettings{}, true,
                         [&](const ReceiveChain& chain) {
                           if (run++ == kRun)
                             picture = pictureImage(chain.bitmap(), ScreenSize::Large);
                         });
          columns.back().rows.push_back(picture);
        }
      }
      const std::string name = options.pictures + "/combining-" +
                               (channel.fading == Fading::None ? "white" : "moderate") + "-" +
                               (frames > 0 ? std::to_string(frames) : "one") + ".png";
      drawPictureStrip(columns, 288, 192).save(QString::fromStdString(name));
      std::printf("wrote %s\n", name.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--quick")
      options.quick = true;
    else if (a == "-o" && i + 1 < argc)
      options.pictures = argv[++i];
    else
      options.sections.insert(a);
  }
  const auto start = std::chrono::steady_clock::now();
  const std::vector<SweepPicture> pictures = sweepPictures();
  const SentSignals sent(pictures, kSentFrames, {100.0, -100.0}, kThreads);
  if (options.wants("usable")) usableSection(sent, options);
  if (options.wants("clock")) clockSection(sent, options);
  if (options.wants("change")) changeSection(pictures, options);
  if (options.wants("still")) stillSection(sent, options);
  if (options.wants("crawl")) crawlSection(options);
  if (options.wants("lock")) lockSection(sent, options);
  if (options.wants("moving")) movingSection(options);
  if (options.wants("pictures")) picturesSection(sent, options);
  std::printf("\n%.0f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  return 0;
}
