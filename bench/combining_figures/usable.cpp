// Usable-down-to SNR per channel, frames combined and sending clock, with the errors behind it;
// and what following the sending clock gives.

#include "bench/combining_figures/figures.h"

#include "receiver/core/tuning/tuning_estimator.h"
#include "tools/quality/combined_decoding.h"
#include "tools/quality/parallel_for.h"
#include "tools/quality/trial.h"
#include "tools/quality/usable_limit.h"

#include <cstdio>
#include <map>

namespace mosaic::figures {

using namespace mosaic::tool;

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
  parallelFor(tasks.size(), kThreads, [&](std::size_t i) {
    Task& t = tasks[i];
    const DemodSettings demod = tunedForClock(clocks[t.clock]);
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
    if (clocks[k] != 0.0)
      std::printf(
          "The receiver is tuned to centre the luminance carriers, which the clock moves "
          "by %+.2f Hz.\n\n",
          -clockCentringHz(clocks[k]));
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
        t.unaware = runsError(combinedRuns(heard, demod, clockUnknown(combiningOf(kWindow))),
                              perfect, last, last + 2)
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

}  // namespace mosaic::figures
