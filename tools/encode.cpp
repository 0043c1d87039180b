// mosaic encode: a picture to the transmitter's sound, one frame per 1.28 s.

#include "signal/timing.h"
#include "tools/arguments.h"
#include "tools/command.h"
#include "tools/frame_encoder.h"
#include "tools/sound_writer.h"
#include "transmitter/app/video_area.h"

#include <QImageReader>
#include <QString>

#include <cstdio>
#include <optional>

namespace mosaic::tool {

namespace {

constexpr long long kMaxFrames = 100000;  // 35 hours of air time

const Command& encodeCommand() {
  for (const auto& c : commands())
    if (std::string(c.name) == "encode") return c;
  return commands().front();
}

}  // namespace

int runEncode(const std::vector<std::string>& argv) {
  const Command& cmd = encodeCommand();
  Arguments args(argv);
  std::string input, output;
  long long frames = 1;
  while (args.more()) {
    bool missing = false;
    if (auto v = args.option("-o", missing)) {
      output = *v;
    } else if (auto f = args.option("--frames", missing)) {
      const auto n = parseInteger(*f);
      if (!n || *n < 1 || *n > kMaxFrames)
        return usageError(cmd, "--frames wants a whole number from 1 to " + std::to_string(kMaxFrames));
      frames = *n;
    } else if (missing) {
      return usageError(cmd, args.peek() + " needs a value");
    } else if (!args.peek().empty() && args.peek()[0] == '-' && args.peek() != "-") {
      return usageError(cmd, "unknown option " + args.peek());
    } else if (input.empty()) {
      input = args.next();
    } else {
      return usageError(cmd, "more than one input: " + args.peek());
    }
  }
  if (input.empty()) return usageError(cmd, "no input picture");
  if (output.empty()) return usageError(cmd, "no output file (-o OUT.wav)");

  QImageReader reader(QString::fromStdString(input));
  const QImage picture = reader.read();
  if (picture.isNull())
    return failure("cannot read " + input + ": " + reader.errorString().toStdString());

  const QImage area = fitToVideoArea(picture);
  FrameEncoder encoder;
  WavWriter wav(output, kTxSampleRateHz);
  std::string error;
  if (!wav.open(error)) return failure(error);
  for (long long f = 0; f < frames; ++f) {
    const auto& frame = encoder.encode(area);
    if (!wav.write(frame.data(), static_cast<long>(frame.size()), error)) return failure(error);
  }
  if (!wav.finish(error)) return failure(error);
  std::fprintf(stderr, "mosaic: wrote %lld frame%s (%.2f s) to %s\n", frames, frames == 1 ? "" : "s",
               frames * kFrameSamples / double(kTxSampleRateHz), output.c_str());
  return kExitOk;
}

}  // namespace mosaic::tool
