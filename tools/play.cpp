// mosaic play: a recorded movie file shown again through the receiver's picture
// reconstruction, as a video or as one picture per 1.28 s.

#include "receiver/app/picture_image.h"
#include "receiver/core/movie/movie_reader.h"
#include "receiver/core/movie/movie_replay.h"
#include "receiver/core/picture/picture_bitmap.h"
#include "receiver/core/picture/render_picture.h"
#include "tools/arguments.h"
#include "tools/command.h"
#include "tools/display_options.h"
#include "tools/pending_file.h"
#include "tools/picture_files.h"
#include "tools/video_writer.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include <sys/stat.h>

namespace mosaic::tool {

namespace {

const char* const kPlayHelp =
    "  -o OUT.mp4|DIR         a video (any container FFmpeg writes: .mp4, .mkv, .avi, ...) or a\n"
    "                         folder of pictures DIR/frame-00001.png, ...\n"
    "display options (the receiver's, with its ranges; defaults as at its start):\n";

// What -o may name, for a name it cannot be.
const char* const kOutputKinds =
    "play writes a video, named with a suffix of a container FFmpeg writes (.mp4, .mkv, .avi, "
    ".mov, ...), or a folder of PNG pictures, named without a suffix";

struct Options {
  std::string movie;
  std::string output;
  bool toVideo = false;
  DisplaySettings display;
};

std::optional<int> parse(const std::vector<std::string>& argv, Options& o) {
  const Command& cmd = commandNamed("play");
  if (helpRequested(argv))
    return showHelp(cmd, (std::string(kPlayHelp) + kDisplayOptionHelp).c_str());
  Arguments args(argv);
  std::string error;
  while (args.more()) {
    bool missing = false;
    if (auto v = args.option("-o", missing)) {
      o.output = *v;
    } else if (const auto r = takeDisplayOption(args, o.display, missing, error);
               r != OptionResult::NotMine) {
      if (r == OptionResult::Invalid) return usageError(cmd, error);
    } else if (auto problem = args.takeInput(missing, &o.movie)) {
      return usageError(cmd, *problem);
    }
  }
  if (o.movie.empty()) return usageError(cmd, "no movie file");
  if (o.output.empty()) return usageError(cmd, "no output (-o OUT.mp4 or -o DIR)");
  // A folder when the name has no suffix or is a folder already; otherwise the suffix must name
  // a video container.
  struct stat existing {};
  const bool isFolder = ::stat(o.output.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode);
  const bool hasSuffix = !std::filesystem::path(o.output).extension().empty();
  o.toVideo = !isFolder && hasSuffix;
  if (o.toVideo && !VideoWriter::isVideoPath(o.output))
    return usageError(cmd, "-o " + o.output + ": " + kOutputKinds);
  if (o.toVideo && !checkOutputPath(o.output, {o.movie}, error)) return usageError(cmd, error);
  if (!o.toVideo && !checkOutputFolder(o.output, error)) return usageError(cmd, error);
  return std::nullopt;
}

}  // namespace

int runPlay(const std::vector<std::string>& argv) {
  Options o;
  if (auto status = parse(argv, o)) return *status;

  MovieReader movie;
  std::string error;
  if (!movie.open(o.movie, error)) return failure(error);
  const long long frames = movie.frames();
  // Each picture needs the frame of its run and the one after; a lone frame is shown by itself.
  const long long pictures = frames > 1 ? frames - 1 : 1;

  std::unique_ptr<VideoWriter> video;
  if (o.toVideo) {
    video = std::make_unique<VideoWriter>(o.output);
    if (!video->open(kPictureImageWidth, kPictureImageHeight, error)) return failure(error);
  } else if (!makeFolder(o.output, error)) {
    return failure(error);
  }

  // Two frames in memory at a time, however long the movie.
  std::vector<std::uint8_t> frame(kMovieFrameBytes), following(kMovieFrameBytes);
  if (!movie.next(frame.data(), error)) return failure(error);
  auto planes = std::make_unique<SymbolPlanes>();
  auto bitmap = std::make_unique<PictureBitmap>();
  for (long long i = 0; i < pictures; ++i) {
    const bool hasNext = i + 1 < frames;
    if (hasNext && !movie.next(following.data(), error)) return failure(error);
    planesFromMovieFrames(frame.data(), hasNext ? following.data() : nullptr, *planes);
    renderPicture(*planes, o.display, *bitmap);
    const QImage picture = pictureImage(*bitmap, o.display.screenSize);
    const bool written =
        o.toVideo
            ? video->write(picture, error)
            : writeImage(picture, numberedPicturePath(o.output, static_cast<int>(i + 1)), error);
    if (!written) return failure(error);
    frame.swap(following);
  }
  if (o.toVideo && !video->finish(error)) return failure(error);
  std::fprintf(stderr, "mosaic: %lld picture%s from %lld frame%s of %s\n", pictures,
               pictures == 1 ? "" : "s", frames, frames == 1 ? "" : "s", o.movie.c_str());
  return kExitOk;
}

}  // namespace mosaic::tool
