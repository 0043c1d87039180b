// mosaic play: a recorded movie file shown again through the receiver's picture
// reconstruction, as a video or as one picture per 1.28 s.

#include "receiver/app/picture_image.h"
#include "receiver/core/movie/movie_replay.h"
#include "receiver/core/picture/picture_bitmap.h"
#include "receiver/core/picture/render_picture.h"
#include "tools/arguments.h"
#include "tools/command.h"
#include "tools/display_options.h"
#include "tools/picture_files.h"
#include "tools/video_writer.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

namespace mosaic::tool {

namespace {

const char* const kPlayHelp =
    "  -o OUT.mp4|DIR         a video (any container FFmpeg writes: .mp4, .mkv, .avi, ...) or a\n"
    "                         folder of pictures DIR/frame-00001.png, ...\n"
    "display options (the receiver's, with its ranges; defaults as at its start):\n";

struct Options {
  std::string movie;
  std::string output;
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
    } else if (missing) {
      return usageError(cmd, args.peek() + " needs a value");
    } else if (!args.peek().empty() && args.peek()[0] == '-') {
      return usageError(cmd, "unknown option " + args.peek());
    } else if (o.movie.empty()) {
      o.movie = args.next();
    } else {
      return usageError(cmd, "more than one movie file: " + args.peek());
    }
  }
  if (o.movie.empty()) return usageError(cmd, "no movie file");
  if (o.output.empty()) return usageError(cmd, "no output (-o OUT.mp4 or -o DIR)");
  return std::nullopt;
}

// The movie file's bytes, when it holds whole frames.
bool readMovie(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  if (bytes.empty() || bytes.size() % kMovieFrameBytes != 0) {
    error = path + " is not a movie file: its length is not a whole number of 7056-byte frames";
    return false;
  }
  return true;
}

}  // namespace

int runPlay(const std::vector<std::string>& argv) {
  Options o;
  if (auto status = parse(argv, o)) return *status;

  std::vector<std::uint8_t> movie;
  std::string error;
  if (!readMovie(o.movie, movie, error)) return failure(error);
  const int frames = static_cast<int>(movie.size() / kMovieFrameBytes);
  // Each picture needs the frame of its run and the one after; a lone frame is shown by itself.
  const int pictures = frames > 1 ? frames - 1 : 1;

  const bool toVideo = VideoWriter::isVideoPath(o.output);
  std::unique_ptr<VideoWriter> video;
  if (toVideo) {
    video = std::make_unique<VideoWriter>(o.output);
    if (!video->open(kPictureImageWidth, kPictureImageHeight, error)) return failure(error);
  } else if (!makeFolder(o.output, error)) {
    return failure(error);
  }

  auto planes = std::make_unique<SymbolPlanes>();
  auto bitmap = std::make_unique<PictureBitmap>();
  for (int i = 0; i < pictures; ++i) {
    const std::uint8_t* frame = movie.data() + static_cast<std::size_t>(i) * kMovieFrameBytes;
    const std::uint8_t* next = i + 1 < frames ? frame + kMovieFrameBytes : nullptr;
    planesFromMovieFrames(frame, next, *planes);
    renderPicture(*planes, o.display, *bitmap);
    const QImage picture = pictureImage(*bitmap, o.display.screenSize);
    const bool written = toVideo ? video->write(picture, error)
                                 : writeImage(picture, numberedPicturePath(o.output, i + 1), error);
    if (!written) return failure(error);
  }
  if (toVideo && !video->finish(error)) return failure(error);
  std::fprintf(stderr, "mosaic: %d picture%s from %d frame%s of %s\n", pictures,
               pictures == 1 ? "" : "s", frames, frames == 1 ? "" : "s", o.movie.c_str());
  return kExitOk;
}

}  // namespace mosaic::tool
