// mosaic demo: the built-in test card through the whole system: transmitter, a radio channel,
// receiver, and a verdict on how closely the received picture follows the one sent.

#include "channel/channel_model.h"
#include "signal/carrier_plan.h"
#include "signal/timing.h"
#include "tools/arguments.h"
#include "tools/command.h"
#include "tools/decode_quality.h"
#include "tools/decode_recording.h"
#include "tools/pending_file.h"
#include "tools/picture_files.h"
#include "tools/sound_writer.h"
#include "tools/test_card.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/transmit_chain.h"

#include <QString>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace mosaic::tool {

namespace {

constexpr int kDemoFrames = 8;  // 10.24 s on the air

// A fair evening on the band: a little fading, a slightly mistuned receiver, noise 25 dB down
// in 3000 Hz, and a transceiver passband that keeps the carriers.
ChannelSettings demoChannel() {
  ChannelSettings s;
  s.snrDb = 25.0;
  s.offsetHz = 0.4;
  s.passLowHz = 300.0;
  s.passHighHz = 3600.0;
  s.fading = Fading::Good;
  s.seed = 2026;
  return s;
}

bool writeSound(const std::string& path, const std::vector<std::int16_t>& samples,
                std::string& error) {
  WavWriter wav(path, kTxSampleRateHz);
  return wav.open(error) && wav.write(samples.data(), static_cast<long>(samples.size()), error) &&
         wav.finish(error);
}

// How much the channel added to the error a perfect channel leaves (the card's sharp edges
// are softer than the carriers can follow, so even a perfect channel leaves some).
const char* verdictWord(double meanError, double perfectError) {
  const double added = meanError - perfectError;
  if (added < 1.0) return "excellent";
  if (added < 3.0) return "good";
  if (added < 8.0) return "fair";
  return "poor";
}

// The best-aligned luminance error of a received recording's frames after the first (which
// still holds the silence before the transmission) against what the card sends.
LuminanceMatch receivedLuminance(const DecodedRecording& received, const PicturePlanes& sent,
                                 int balance) {
  const int skip = kMovieFrameBytes;
  const int symbols = (static_cast<int>(received.movie.size()) - skip) / (kUsedSlots * 3);
  return bestLuminanceMatch(sent, received.movie.data() + skip, symbols, balance);
}

}  // namespace

int runDemo(const std::vector<std::string>& argv) {
  const Command& cmd = commandNamed("demo");
  if (helpRequested(argv)) return showHelp(cmd);
  Arguments args(argv);
  std::string dir = "demo-output";
  while (args.more()) {
    bool missing = false;
    if (auto v = args.option("-o", missing)) {
      dir = *v;
    } else if (auto problem = args.takeInput(missing, nullptr)) {
      return usageError(cmd, *problem);
    }
  }
  if (std::string problem; !checkOutputFolder(dir, problem)) return usageError(cmd, problem);
  if (std::string error; !makeFolder(dir, error)) return failure(error);
  const auto file = [&dir](const char* name) {
    return (std::filesystem::path(dir) / name).string();
  };

  // Transmit.
  const QImage card = drawTestCard();
  std::string error;
  if (!writeImage(card, file("test-card.png"), error)) return failure(error);
  // The card in the transmitter's video area, sent as the program sends it: marker frame drawn,
  // crawl off as at start-up.
  ComposedVideoArea area;
  area.setSourcePicture(card);
  CrawlState crawl;
  TransmitChain chain;
  std::vector<std::int16_t> sent(std::size_t{kDemoFrames} * kFrameSamples);
  for (int f = 0; f < kDemoFrames; ++f)
    buildComposedFrame(chain, area, crawl, std::string(), sent.data() + f * kFrameSamples);
  if (!writeSound(file("sent.wav"), sent, error)) return failure(error);

  // Through the air.
  const std::vector<float> air =
      applyChannel(std::vector<float>(sent.begin(), sent.end()), kTxSampleRateHz, demoChannel());
  const std::vector<std::int16_t> heard = toSamples(air);
  if (!writeSound(file("received.wav"), heard, error)) return failure(error);

  // Receive, with the receiver's settings at start-up but for two: the operator has taken up
  // the mistuning with the fine tune, and set the colour balance to 0 (its start-up slope of
  // 67 lifts the colour carriers and tints a clean picture magenta).
  DemodSettings demod;
  demod.fineHz = static_cast<float>(-demoChannel().offsetHz);
  demod.balance = 0;
  DisplaySettings display;
  const DecodedRecording small = decodeRecording(heard, kTxSampleRateHz, demod, display);
  display.screenSize = ScreenSize::Large;
  const DecodedRecording large = decodeRecording(heard, kTxSampleRateHz, demod, display);
  if (!writeImage(small.picture, file("received-both-frames.png"), error) ||
      !writeImage(large.picture, file("received.png"), error))
    return failure(error);

  // How close, against what the same receiver makes of the signal straight from the transmitter.
  const LuminanceMatch match = receivedLuminance(small, chain.planes(), demod.balance);
  DemodSettings perfectTuning = demod;
  perfectTuning.fineHz = 0.0f;
  const LuminanceMatch perfect =
      receivedLuminance(decodeRecording(sent, kTxSampleRateHz, perfectTuning, DisplaySettings{}),
                        chain.planes(), demod.balance);

  std::printf("sent:      %s and %s (%d frames, %.2f s)\n", file("test-card.png").c_str(),
              file("sent.wav").c_str(), kDemoFrames, sent.size() / double(kTxSampleRateHz));
  std::printf(
      "channel:   good fading, 25 dB SNR in 3000 Hz, 0.4 Hz mistuning, 300-3600 Hz passband\n");
  std::printf(
      "received:  %s (newest frame, large view) and %s (both frames),\n"
      "           receiver at its start-up settings, fine tune %+.1f Hz, colour balance 0\n",
      file("received.png").c_str(), file("received-both-frames.png").c_str(), demod.fineHz);
  std::printf(
      "verdict:   %s: luminance off by %.1f steps on average where a perfect channel gives %.1f\n"
      "           (%ld values compared; the picture spans about 128 steps)\n",
      verdictWord(match.meanError, perfect.meanError), match.meanError, perfect.meanError,
      match.comparedBytes);
  return kExitOk;
}

}  // namespace mosaic::tool
