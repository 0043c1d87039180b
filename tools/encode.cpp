// mosaic encode: a picture or a video to the transmitter's sound, one frame per 1.28 s. The
// input is shown in the transmitter's composed video area and goes through the same overlays
// and transmit chain as in the program.

#include "media/ffmpeg_video_file.h"
#include "signal/timing.h"
#include "tools/arguments.h"
#include "tools/command.h"
#include "tools/pending_file.h"
#include "tools/picture_input.h"
#include "tools/sound_writer.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/crawl_text.h"
#include "transmitter/core/crawl_window.h"
#include "transmitter/core/transmit_chain.h"

#include <QString>

#include <cstdio>
#include <optional>
#include <vector>

namespace mosaic::tool {

namespace {

constexpr long long kMaxFrames = 100000;  // 35 hours of air time

// The video position shown in frame f: one position per second of air time, floor(1.28 f),
// wrapping after the last frame.
std::int32_t positionOfFrame(long long f, std::int32_t length) {
  return static_cast<std::int32_t>((f * 128 / 100) % length);
}

// Frames needed until the last position of a video has been shown.
long long framesForWholeVideo(std::int32_t length) {
  return (static_cast<long long>(length - 1) * 100 + 127) / 128 + 1;
}

// The crawl text as the station file would give it: cut to 255 characters, zeros shown as
// slashed O (text that is not UTF-8 is mended by Qt's decoding).
std::string crawlTextFromArgument(const std::string& utf8) {
  return prepareCrawlText(QString::fromStdString(utf8).toStdString());
}

}  // namespace

int runEncode(const std::vector<std::string>& argv) {
  const Command& cmd = commandNamed("encode");
  if (helpRequested(argv)) return showHelp(cmd);
  Arguments args(argv);
  std::string input, output;
  std::optional<long long> frames;
  std::optional<std::string> crawlText;
  while (args.more()) {
    bool missing = false;
    if (auto v = args.option("-o", missing)) {
      output = *v;
    } else if (auto f = args.option("--frames", missing)) {
      const auto n = parseInteger(*f);
      if (!n || *n < 1 || *n > kMaxFrames)
        return usageError(cmd,
                          "--frames wants a whole number from 1 to " + std::to_string(kMaxFrames));
      frames = *n;
    } else if (auto t = args.option("--crawl", missing)) {
      crawlText = crawlTextFromArgument(*t);
    } else if (auto problem = args.takeInput(missing, &input)) {
      return usageError(cmd, *problem);
    }
  }
  if (input.empty()) return usageError(cmd, "no input picture or video");
  if (output.empty()) return usageError(cmd, "no output file (-o OUT.wav)");
  if (std::string problem; !checkOutputPath(output, {input}, problem))
    return usageError(cmd, problem);

  // A still picture if it is in a format Qt reads, otherwise a video.
  ComposedVideoArea area;
  FfmpegVideoFile video;
  QImage picture;
  if (std::string error; !readPicture(input, picture, error)) return failure(error);
  if (!picture.isNull()) {
    area.setSourcePicture(picture);
  } else {
    std::string error;
    if (!video.open(input, error)) return failure("cannot read " + input + ": " + error);
  }
  const std::int32_t length = video.length();
  const long long frameCount = frames.value_or(length > 0 ? framesForWholeVideo(length) : 1);

  CrawlState crawl;
  crawl.crawlOn = crawlText.has_value();
  TransmitChain chain;
  std::vector<std::int16_t> frame(kFrameSamples);
  WavWriter wav(output, kTxSampleRateHz, frameCount * kFrameSamples);
  std::string error;
  if (!wav.open(error)) return failure(error);
  for (long long f = 0; f < frameCount; ++f) {
    if (length > 0) {
      video.seek(positionOfFrame(f, length));
      area.setSourcePicture(video.picture());
    }
    buildComposedFrame(chain, area, crawl, crawlText.value_or(std::string()), frame.data());
    if (!wav.write(frame.data(), static_cast<long>(frame.size()), error)) return failure(error);
  }
  if (!wav.finish(error)) return failure(error);
  std::fprintf(stderr, "mosaic: wrote %lld frame%s (%.2f s) to %s\n", frameCount,
               frameCount == 1 ? "" : "s", frameCount * kFrameSamples / double(kTxSampleRateHz),
               output.c_str());
  return kExitOk;
}

}  // namespace mosaic::tool
