// The test card with the crawl line running: which bands combine, and how close they come.

#include "bench/combining_figures/figures.h"

#include "receiver/core/combining/frame_combiner.h"
#include "signal/timing.h"
#include "tools/quality/combined_decoding.h"
#include "tools/quality/trial.h"
#include "tools/test_card.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/transmit_chain.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace mosaic::figures {

using namespace mosaic::tool;

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
      decodeCombined(heard, demod, combiningOf(8), [&](const ReceiverEngine& chain) {
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

}  // namespace mosaic::figures
