// mosaic demo: the built-in test card through the transmitter.

#include "signal/timing.h"
#include "tools/arguments.h"
#include "tools/command.h"
#include "tools/frame_encoder.h"
#include "tools/sound_writer.h"
#include "tools/test_card.h"

#include <QString>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace mosaic::tool {

namespace {

constexpr int kDemoFrames = 4;

const Command& demoCommand() {
  for (const auto& c : commands())
    if (std::string(c.name) == "demo") return c;
  return commands().front();
}

}  // namespace

int runDemo(const std::vector<std::string>& argv) {
  const Command& cmd = demoCommand();
  Arguments args(argv);
  std::string dir = "demo-output";
  while (args.more()) {
    bool missing = false;
    if (auto v = args.option("-o", missing)) {
      dir = *v;
    } else if (missing) {
      return usageError(cmd, "-o needs a folder");
    } else {
      return usageError(cmd, "unexpected argument " + args.peek());
    }
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return failure("cannot create " + dir + ": " + ec.message());

  const QImage card = drawTestCard();
  const std::string cardPath = (std::filesystem::path(dir) / "test-card.png").string();
  if (!card.save(QString::fromStdString(cardPath))) return failure("cannot write " + cardPath);

  const std::string soundPath = (std::filesystem::path(dir) / "test-card.wav").string();
  FrameEncoder encoder;
  WavWriter wav(soundPath, kTxSampleRateHz);
  std::string error;
  if (!wav.open(error)) return failure(error);
  for (int f = 0; f < kDemoFrames; ++f) {
    const auto& frame = encoder.encode(card);
    if (!wav.write(frame.data(), static_cast<long>(frame.size()), error)) return failure(error);
  }
  if (!wav.finish(error)) return failure(error);

  std::printf("test card:  %s\n", cardPath.c_str());
  std::printf("sound:      %s (%d frames, %.2f s at 48000 Hz)\n", soundPath.c_str(), kDemoFrames,
              kDemoFrames * kFrameSamples / double(kTxSampleRateHz));
  return kExitOk;
}

}  // namespace mosaic::tool
