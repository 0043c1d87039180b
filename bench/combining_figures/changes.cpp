// The change detector: how soon a new picture is usable, false restarts on a still picture, and
// moving pictures combined and not.

#include "bench/combining_figures/figures.h"

#include "receiver/core/combining/frame_combiner.h"
#include "signal/timing.h"
#include "tools/quality/combined_decoding.h"
#include "tools/quality/parallel_for.h"
#include "tools/quality/trial.h"
#include "tools/quality/usable_limit.h"

#include <QPainter>

#include <cstdio>

namespace mosaic::figures {

using namespace mosaic::tool;

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
      decodeCombined(heard, sweepReceiverSettings(), combiningOf(8),
                     [&](const ReceiverEngine& chain) {
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

}  // namespace mosaic::figures
