// mosaic channel: a recording through a simulated radio channel.

#include "channel/channel_model.h"
#include "tools/arguments.h"
#include "tools/command.h"
#include "tools/pending_file.h"
#include "tools/sound_reader.h"
#include "tools/sound_writer.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace mosaic::tool {

namespace {

// "LO-HI" in Hz, 0 <= LO < HI.
bool parsePassband(const std::string& text, double& lo, double& hi) {
  const auto dash = text.find('-', 1);
  if (dash == std::string::npos) return false;
  const auto a = parseNumber(text.substr(0, dash));
  const auto b = parseNumber(text.substr(dash + 1));
  if (!a || !b || *a < 0 || *b <= *a) return false;
  lo = *a;
  hi = *b;
  return true;
}

}  // namespace

int runChannel(const std::vector<std::string>& argv) {
  const Command& cmd = commandNamed("channel");
  if (helpRequested(argv)) return showHelp(cmd);
  Arguments args(argv);
  std::string input, output;
  ChannelSettings settings;
  while (args.more()) {
    bool missing = false;
    if (auto v = args.option("-o", missing)) {
      output = *v;
    } else if (auto snr = args.option("--snr", missing)) {
      const auto n = parseNumber(*snr);
      if (!n || *n < -30 || *n > 100)
        return usageError(cmd, "--snr wants a number of dB from -30 to 100");
      settings.snrDb = *n;
    } else if (auto off = args.option("--offset", missing)) {
      const auto n = parseNumber(*off);
      if (!n || std::fabs(*n) > 1000)
        return usageError(cmd, "--offset wants a number of Hz from -1000 to 1000");
      settings.offsetHz = *n;
    } else if (auto band = args.option("--passband", missing)) {
      double lo = 0, hi = 0;
      if (!parsePassband(*band, lo, hi))
        return usageError(cmd, "--passband wants LO-HI in Hz, e.g. 300-3500");
      settings.passLowHz = lo;
      settings.passHighHz = hi;
    } else if (auto fading = args.option("--fading", missing)) {
      const auto f = parseFading(*fading);
      if (!f) return usageError(cmd, "--fading wants good, moderate, poor or flutter");
      settings.fading = *f;
    } else if (auto ppm = args.option("--clock-ppm", missing)) {
      const auto n = parseNumber(*ppm);
      if (!n || std::fabs(*n) > 10000)
        return usageError(cmd, "--clock-ppm wants a number from -10000 to 10000");
      settings.clockPpm = *n;
    } else if (auto seed = args.option("--seed", missing)) {
      const auto n = parseInteger(*seed);
      if (!n || *n < 0) return usageError(cmd, "--seed wants a whole number, 0 or more");
      settings.seed = static_cast<std::uint64_t>(*n);
    } else if (auto problem = args.takeInput(missing, &input)) {
      return usageError(cmd, *problem);
    }
  }
  if (input.empty()) return usageError(cmd, "no input recording");
  if (output.empty()) return usageError(cmd, "no output file (-o OUT.wav)");
  if (std::string problem; !checkOutputPath(output, {input}, problem))
    return usageError(cmd, problem);

  // Read from the start once per pass of the channel, a piece at a time.
  class FileSource : public ChannelSource {
   public:
    FileSource(const std::string& path, std::string& error) : path_(path), error_(error) {}
    bool rewind() override {
      reader_ = std::make_unique<SoundFileReader>();
      return reader_->open(path_, ChannelChoice::Mix, error_);
    }
    long read(float* out, long max) override { return reader_->read(out, max, error_); }
    const SoundFileReader& reader() const { return *reader_; }

   private:
    std::string path_;
    std::string& error_;
    std::unique_ptr<SoundFileReader> reader_;
  };

  std::string error;
  FileSource source(input, error);
  if (!source.rewind()) return failure(error);
  const int rateHz = source.reader().rateHz();
  if (source.reader().frames() <= 0) return failure(input + " holds no sound");
  if (settings.passHighHz && *settings.passHighHz >= rateHz / 2.0)
    return usageError(cmd, "--passband must stay below half the recording's rate (" +
                               std::to_string(rateHz / 2) + " Hz)");

  const auto expected = static_cast<long long>(static_cast<double>(source.reader().frames()) /
                                               (1.0 + settings.clockPpm * 1e-6)) +
                        16;
  WavWriter wav(output, rateHz, expected);
  if (!wav.open(error)) return failure(error);
  long long clipped = 0;
  const bool ran = runChannel(source, rateHz, settings, [&](const float* y, std::size_t count) {
    long limited = 0;
    const std::vector<std::int16_t> pcm = toSamples(std::vector<float>(y, y + count), &limited);
    clipped += limited;
    return wav.write(pcm.data(), static_cast<long>(count), error);
  });
  if (!ran) return failure(error.empty() ? "cannot read " + input : error);
  if (!wav.finish(error)) return failure(error);
  if (clipped > 0)
    std::fprintf(stderr, "mosaic: note: %lld samples were limited to 16 bits\n", clipped);
  return kExitOk;
}

}  // namespace mosaic::tool
