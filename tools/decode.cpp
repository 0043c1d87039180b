// mosaic decode: a recording through the receiver's chain, buffer by buffer as the receiver runs
// it from start-up: the last picture, one picture per buffer, and the movie file.

#include "receiver/app/picture_image.h"
#include "signal/timing.h"
#include "tools/arguments.h"
#include "tools/command.h"
#include "tools/decode_recording.h"
#include "tools/output_file.h"

#include <QByteArray>
#include <QImageWriter>
#include <QString>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace mosaic::tool {

namespace {

const char* const kOptionHelp =
    "options (every receiver setting, with the receiver's ranges; defaults as at its start):\n"
    "  -o PICTURE.png         the picture after the last buffer as the receiver shows it, 288 x 192\n"
    "  --frames-dir DIR       one picture per buffer: DIR/frame-00001.png, ...\n"
    "  --movie OUT.49         the movie file: one 7056-byte frame per buffer\n"
    "  --coarse HZ            coarse tuning, -20 .. 20 in steps of 0.1 (default 0)\n"
    "  --fine HZ              fine tuning, -4 .. 4 in steps of 0.02 (default 0)\n"
    "  --balance N            colour balance, -200 .. 200 (default 67)\n"
    "  --no-half-pixel        switch \"+ half pixel\" off (it starts on)\n"
    "  --brightness N         0 .. 256 (default 0)\n"
    "  --contrast N           0 .. 256 (default 178)\n"
    "  --saturation N         0 .. 400, 200 is 100 % (default 200)\n"
    "  --noise-filter S       switch the noise filter on with strength light, medium or heavy\n"
    "                         (it starts off; without this option it stays off)\n"
    "  --hfilter              switch \"Filter horizontal pix\" on\n"
    "  --vinterp              switch \"Interpolate vertical pix\" on\n"
    "  --large                the large view (the newest buffer's picture rows, stretched)\n"
    "  --channel left|right   decode one channel instead of the mix of all\n";

// The slider position that gives `text` as (position - 200) / perUnit, if it is on the grid
// of positions 0..400.
std::optional<int> sliderPosition(const std::string& text, int perUnit) {
  const auto value = parseNumber(text);
  if (!value) return std::nullopt;
  const double position = *value * perUnit + 200.0;
  const double nearest = std::nearbyint(position);
  if (std::abs(position - nearest) > 1e-6 || nearest < 0.0 || nearest > 400.0) return std::nullopt;
  return static_cast<int>(nearest);
}

std::optional<int> integerIn(const std::string& text, int low, int high) {
  const auto value = parseInteger(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return static_cast<int>(*value);
}

// The image format for a file name, by its suffix; PNG when the suffix names none that Qt writes.
QByteArray imageFormatFor(const std::string& path) {
  const QByteArray suffix =
      QByteArray::fromStdString(std::filesystem::path(path).extension().string()).mid(1).toLower();
  if (!suffix.isEmpty() && QImageWriter::supportedImageFormats().contains(suffix)) return suffix;
  return "png";
}

bool writeImage(const QImage& image, const std::string& path, std::string& error) {
  PendingFile file(path);
  if (!image.save(QString::fromStdString(file.tempPath()), imageFormatFor(path).constData())) {
    error = "cannot write " + path;
    return false;
  }
  return file.commit(error);
}

struct Options {
  std::string input;
  std::string picture;
  std::string framesDir;
  std::string movie;
  DemodSettings demod;
  DisplaySettings display;
  ChannelChoice channel = ChannelChoice::Mix;
};

// Parses the arguments; returns an exit status when they are not usable (or help was asked).
std::optional<int> parse(const std::vector<std::string>& argv, Options& o) {
  const Command& cmd = commandNamed("decode");
  if (helpRequested(argv)) return showHelp(cmd, kOptionHelp);
  Arguments args(argv);
  while (args.more()) {
    bool missing = false;
    const std::string name = args.peek();
    if (auto v = args.option("-o", missing)) {
      o.picture = *v;
    } else if (auto v = args.option("--frames-dir", missing)) {
      o.framesDir = *v;
    } else if (auto v = args.option("--movie", missing)) {
      o.movie = *v;
    } else if (auto v = args.option("--coarse", missing)) {
      const auto p = sliderPosition(*v, 10);
      if (!p) return usageError(cmd, "--coarse wants -20 to 20 Hz in steps of 0.1, not " + *v);
      o.demod.coarseHz = static_cast<float>((*p - 200) / 10.0L);
    } else if (auto v = args.option("--fine", missing)) {
      const auto p = sliderPosition(*v, 50);
      if (!p) return usageError(cmd, "--fine wants -4 to 4 Hz in steps of 0.02, not " + *v);
      o.demod.fineHz = static_cast<float>((*p - 200) / 50.0L);
    } else if (auto v = args.option("--balance", missing)) {
      const auto n = integerIn(*v, -200, 200);
      if (!n) return usageError(cmd, "--balance wants a whole number from -200 to 200, not " + *v);
      o.demod.balance = *n;
    } else if (args.flag("--no-half-pixel")) {
      if (halfPixelOn(o.demod)) toggleHalfPixel(o.demod);
    } else if (auto v = args.option("--brightness", missing)) {
      const auto n = integerIn(*v, 0, 256);
      if (!n) return usageError(cmd, "--brightness wants a whole number from 0 to 256, not " + *v);
      o.display.brightness = *n;
    } else if (auto v = args.option("--contrast", missing)) {
      const auto n = integerIn(*v, 0, 256);
      if (!n) return usageError(cmd, "--contrast wants a whole number from 0 to 256, not " + *v);
      o.display.contrast = *n;
    } else if (auto v = args.option("--saturation", missing)) {
      const auto n = integerIn(*v, 0, 400);
      if (!n) return usageError(cmd, "--saturation wants a whole number from 0 to 400, not " + *v);
      o.display.saturation = *n;
    } else if (auto v = args.option("--noise-filter", missing)) {
      if (*v == "light") {
        o.display.noiseWeights = kLightNoiseFilter;
      } else if (*v == "medium") {
        o.display.noiseWeights = kMediumNoiseFilter;
      } else if (*v == "heavy") {
        o.display.noiseWeights = kHeavyNoiseFilter;
      } else {
        return usageError(cmd, "--noise-filter wants light, medium or heavy, not " + *v);
      }
      o.display.noiseFilter = true;
    } else if (args.flag("--hfilter")) {
      o.display.horizontalFilter = true;
    } else if (args.flag("--vinterp")) {
      o.display.verticalInterpolation = true;
    } else if (args.flag("--large")) {
      o.display.screenSize = ScreenSize::Large;
    } else if (auto v = args.option("--channel", missing)) {
      if (*v == "left") {
        o.channel = ChannelChoice::Left;
      } else if (*v == "right") {
        o.channel = ChannelChoice::Right;
      } else {
        return usageError(cmd, "--channel wants left or right, not " + *v);
      }
    } else if (missing) {
      return usageError(cmd, name + " needs a value");
    } else if (!name.empty() && name[0] == '-' && name != "-") {
      return usageError(cmd, "unknown option " + name);
    } else if (o.input.empty()) {
      o.input = args.next();
    } else {
      return usageError(cmd, "more than one input: " + name);
    }
  }
  if (o.input.empty()) return usageError(cmd, "no input recording");
  return std::nullopt;
}

std::string framePath(const std::string& dir, int buffer) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%05d.png", buffer);
  return (std::filesystem::path(dir) / name).string();
}

}  // namespace

int runDecode(const std::vector<std::string>& argv) {
  Options o;
  if (auto status = parse(argv, o)) return *status;

  std::string error;
  RecordingReader reader;
  if (!reader.open(o.input, o.channel, error)) return failure(error);

  if (!o.framesDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(o.framesDir, ec);
    if (ec) return failure("cannot create " + o.framesDir + ": " + ec.message());
  }
  std::unique_ptr<PendingFile> movieFile;
  std::FILE* movie = nullptr;
  if (!o.movie.empty()) {
    movieFile = std::make_unique<PendingFile>(o.movie);
    movie = std::fopen(movieFile->tempPath().c_str(), "wb");
    if (!movie) return failure("cannot write " + o.movie);
  }
  auto closeMovie = [&movie] {
    const bool ok = movie && std::fclose(movie) == 0;
    movie = nullptr;
    return ok;
  };

  int buffers = 0;
  BufferFeeder feeder(o.demod, o.display, [&](const ReceiveChain& chain) {
    ++buffers;
    if (movie) {
      const auto frame = chain.movieFrame();
      if (std::fwrite(frame.data(), 1, frame.size(), movie) != frame.size()) {
        error = "cannot write " + o.movie;
        return false;
      }
    }
    if (!o.framesDir.empty()) {
      return writeImage(pictureImage(chain.bitmap(), o.display.screenSize), framePath(o.framesDir, buffers), error);
    }
    return true;
  });

  std::vector<std::int16_t> piece;
  for (;;) {
    if (!reader.next(piece, error)) {
      closeMovie();
      return failure(error);
    }
    if (piece.empty()) break;
    if (!feeder.feed(piece.data(), piece.size())) {
      closeMovie();
      return failure(error);
    }
  }
  if (feeder.leftOver() > 0) {
    std::fprintf(stderr, "mosaic: the last %d samples (%.2f s at 9600 Hz) do not fill a buffer and are left out\n",
                 feeder.leftOver(), feeder.leftOver() / double(kRxSampleRateHz));
  }
  if (buffers == 0) {
    closeMovie();
    return failure(o.input + " is shorter than one receiver buffer (1.28 s); nothing to decode");
  }
  if (movie) {
    if (!closeMovie()) return failure("cannot write " + o.movie);
    if (!movieFile->commit(error)) return failure(error);
  }
  if (!o.picture.empty() &&
      !writeImage(pictureImage(feeder.chain().bitmap(), o.display.screenSize), o.picture, error)) {
    return failure(error);
  }
  std::fprintf(stderr, "mosaic: decoded %d buffer%s (%.2f s) from %s\n", buffers, buffers == 1 ? "" : "s",
               buffers * kCaptureSamples / double(kRxSampleRateHz), o.input.c_str());
  return kExitOk;
}

}  // namespace mosaic::tool
