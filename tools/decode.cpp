// mosaic decode: a recording through the receiver engine, buffer by buffer as the receiver runs
// it from start-up: the last picture, one picture per buffer, and the movie file.

#include "receiver/app/aligned_image.h"
#include "receiver/app/picture_image.h"
#include "receiver/core/combining/combining_settings.h"
#include "receiver/core/movie/disk_movie_files.h"
#include "receiver/core/slider_scales.h"
#include "signal/timing.h"
#include "tools/arguments.h"
#include "tools/auto_tune.h"
#include "tools/command.h"
#include "tools/decode_recording.h"
#include "tools/display_options.h"
#include "tools/pending_file.h"
#include "tools/picture_files.h"

#include <QString>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace mosaic::tool {

namespace {

const char* const kOptionHelp =
    "options (every receiver setting, with the receiver's ranges; defaults as at its start):\n"
    "  -o PICTURE.png         the picture after the last buffer as the receiver shows it, 288 x "
    "192\n"
    "  --frames-dir DIR       one picture per buffer: DIR/frame-00001.png, ...\n"
    "  --movie OUT.49         the movie file: one 7056-byte frame per buffer\n"
    "  --coarse HZ            coarse tuning, -20 .. 20 in steps of 0.1 (default 0)\n"
    "  --fine HZ              fine tuning, -4 .. 4 in steps of 0.02 (default 0)\n"
    "  --auto-tune            estimate the tuning from the recording, decode with it and print\n"
    "                         it as 'tuning: <offset> Hz' (instead of --coarse and --fine)\n"
    "  --balance N            colour balance, -200 .. 200 (default 67)\n"
    "  --no-half-pixel        switch \"+ half pixel\" off (it starts on)\n"
    "  --channel left|right   decode one channel instead of the mix of all\n"
    "  --aligned              -o and --frames-dir write the newest complete frame the way it\n"
    "                         was sent (left to right, top to bottom), 47 x 36 times --scale,\n"
    "                         once its frame boundary has been found; --frames-dir numbers\n"
    "                         them by buffer\n"
    "  --scale N              pixels per sent column and luminance row, 1 .. 16 (default 4)\n"
    "  --integrate N          combine the repeated frames of a still picture over at most the\n"
    "                         newest N frames, 1 .. 16 (default: off, each frame alone); -o,\n"
    "                         --frames-dir, --aligned and --movie then write the combined\n"
    "                         values\n";

struct Options {
  std::string input;
  std::string picture;
  std::string framesDir;
  std::string movie;
  DemodSettings demod;
  DisplaySettings display;
  ChannelChoice channel = ChannelChoice::Mix;
  std::vector<std::string> outputFiles;  // every output file named, to be checked
  bool autoTune = false;
  bool tuningGiven = false;
  bool aligned = false;
  int scale = 4;
  CombiningSettings combining;
};

// Parses the arguments; returns an exit status when they are not usable (or help was asked).
std::optional<int> parse(const std::vector<std::string>& argv, Options& o) {
  const Command& cmd = commandNamed("decode");
  if (helpRequested(argv))
    return showHelp(cmd, (std::string(kOptionHelp) + kDisplayOptionHelp).c_str());
  Arguments args(argv);
  std::string error;
  while (args.more()) {
    bool missing = false;
    if (auto v = args.option("-o", missing)) {
      o.picture = *v;
      o.outputFiles.push_back(*v);
    } else if (auto v = args.option("--frames-dir", missing)) {
      o.framesDir = *v;
      if (!checkOutputFolder(*v, error)) return usageError(cmd, error);
    } else if (auto v = args.option("--movie", missing)) {
      o.movie = *v;
      o.outputFiles.push_back(*v);
    } else if (auto v = args.option("--coarse", missing)) {
      const auto hz = tuningOnGrid(*v, kCoarseStepsPerHz);
      if (!hz) return usageError(cmd, "--coarse wants -20 to 20 Hz in steps of 0.1, not " + *v);
      o.demod.coarseHz = *hz;
      o.tuningGiven = true;
    } else if (auto v = args.option("--fine", missing)) {
      const auto hz = tuningOnGrid(*v, kFineStepsPerHz);
      if (!hz) return usageError(cmd, "--fine wants -4 to 4 Hz in steps of 0.02, not " + *v);
      o.demod.fineHz = *hz;
      o.tuningGiven = true;
    } else if (args.flag("--aligned")) {
      o.aligned = true;
    } else if (auto v = args.option("--scale", missing)) {
      const auto n = integerIn(*v, 1, kMaxAlignedScale);
      if (!n) return usageError(cmd, "--scale wants a whole number from 1 to 16, not " + *v);
      o.scale = *n;
    } else if (auto v = args.option("--integrate", missing)) {
      const auto n = integerIn(*v, kMinCombinedFrames, kMaxCombinedFrames);
      if (!n) return usageError(cmd, "--integrate wants a whole number from 1 to 16, not " + *v);
      o.combining.on = true;
      o.combining.frames = *n;
    } else if (args.flag("--auto-tune")) {
      o.autoTune = true;
    } else if (auto v = args.option("--balance", missing)) {
      const auto n = integerIn(*v, balanceAt(0), balanceAt(kSliderMaximum));
      if (!n) return usageError(cmd, "--balance wants a whole number from -200 to 200, not " + *v);
      o.demod.balance = *n;
    } else if (args.flag("--no-half-pixel")) {
      if (halfPixelOn(o.demod)) toggleHalfPixel(o.demod);
    } else if (const auto r = takeDisplayOption(args, o.display, missing, error);
               r != OptionResult::NotMine) {
      if (r == OptionResult::Invalid) return usageError(cmd, error);
    } else if (auto v = args.option("--channel", missing)) {
      if (*v == "left") {
        o.channel = ChannelChoice::Left;
      } else if (*v == "right") {
        o.channel = ChannelChoice::Right;
      } else {
        return usageError(cmd, "--channel wants left or right, not " + *v);
      }
    } else if (auto problem = args.takeInput(missing, &o.input)) {
      return usageError(cmd, *problem);
    }
  }
  if (o.input.empty()) return usageError(cmd, "no input recording");
  for (const auto& output : o.outputFiles) {
    if (!checkOutputPath(output, {o.input}, error)) return usageError(cmd, error);
  }
  if (!o.picture.empty() && o.picture == o.movie)
    return usageError(cmd, "-o and --movie name the same file " + o.movie);
  if (o.autoTune && o.tuningGiven)
    return usageError(cmd, "--auto-tune sets the tuning itself; leave out --coarse and --fine");
  return std::nullopt;
}

}  // namespace

int runDecode(const std::vector<std::string>& argv) {
  Options o;
  if (auto status = parse(argv, o)) return *status;

  std::string error;
  EngineSettings settings = pictureSettings(o.demod, o.display);
  settings.alignedScale = o.aligned ? o.scale : 0;
  settings.combining = o.combining;
  std::optional<TuningEstimate> tuning;
  if (o.autoTune) {
    TuningEstimate estimate;
    if (!tuneToRecording(o.input, o.channel, settings, estimate, error)) return failure(error);
    if (estimate.valid) tuning = estimate;
  }
  RecordingReader reader;
  if (!reader.open(o.input, o.channel, error)) return failure(error);

  if (!o.framesDir.empty() && !makeFolder(o.framesDir, error)) return failure(error);
  // The movie file is written frame by frame as the receiver's recorder writes its blocks.
  std::unique_ptr<PendingFile> movieFile;
  std::unique_ptr<MovieFile> movie;
  if (!o.movie.empty()) {
    movieFile = std::make_unique<PendingFile>(o.movie);
    if (!movieFile->open(error)) return failure(error);
    movie = movieFileOnDescriptor(movieFile->descriptor());
  }

  int buffers = 0;
  ReceiverEngine engine(settings);
  BufferFeeder feeder(engine, [&](const ReceiverEngine& received) {
    ++buffers;
    if (movie && movie->appendFrames(received.movieFrame().data(), 1, error) != 1) {
      error = "cannot write " + o.movie + ": " + error;
      return false;
    }
    if (!o.framesDir.empty() && o.aligned) {
      return !received.report().aligned ||
             writeImage(alignedImage(received.alignedPicture()),
                        numberedPicturePath(o.framesDir, buffers), error);
    }
    if (!o.framesDir.empty()) {
      return writeImage(pictureImage(received.bitmap(), o.display.screenSize),
                        numberedPicturePath(o.framesDir, buffers), error);
    }
    return true;
  });

  if (!feedRecording(reader, feeder, error)) return failure(error);
  if (feeder.leftOver() > 0) {
    std::fprintf(
        stderr,
        "mosaic: the last %d samples (%.2f s at 9600 Hz) do not fill a buffer and are left out\n",
        feeder.leftOver(), feeder.leftOver() / double(kRxSampleRateHz));
  }
  if (buffers == 0) {
    return failure(o.input + " is shorter than one receiver buffer (1.28 s); nothing to decode");
  }
  if (movie) {
    if (!movie->close(error)) return failure("cannot write " + o.movie + ": " + error);
    if (!movieFile->commit(error)) return failure(error);
  }
  if (o.aligned && !engine.report().aligned) {
    return failure("no frame boundary found in " + o.input + "; no aligned picture written");
  } else if (o.aligned && !o.picture.empty()) {
    if (!writeImage(alignedImage(engine.alignedPicture()), o.picture, error)) return failure(error);
  } else if (!o.picture.empty() &&
             !writeImage(pictureImage(engine.bitmap(), o.display.screenSize), o.picture, error)) {
    return failure(error);
  }
  if (tuning) {
    std::printf("%s\n", tuningLine(tuning->offsetHz).c_str());
    if (tuning->locked) {
      std::fprintf(stderr, "mosaic: sending clock %+.0f ppm; tuning confidence %.2f\n",
                   tuning->clockPpm, tuning->confidence);
    } else {
      std::fprintf(stderr,
                   "mosaic: no frame boundaries found; the tuning is the coarse estimate only\n");
    }
  }
  if (o.combining.on) {
    std::fprintf(stderr, "mosaic: the last picture combines up to %d frame%s\n",
                 engine.report().framesCombined, engine.report().framesCombined == 1 ? "" : "s");
  }
  std::fprintf(stderr, "mosaic: decoded %d buffer%s (%.2f s) from %s\n", buffers,
               buffers == 1 ? "" : "s", buffers * kCaptureSamples / double(kRxSampleRateHz),
               o.input.c_str());
  return kExitOk;
}

}  // namespace mosaic::tool
