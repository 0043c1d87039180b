#pragma once
// Writes pictures as a video file through FFmpeg, one picture per 1.28 s, into a temporary file
// that replaces the target only when everything was written.

#include "tools/pending_file.h"

#include <QImage>

#include <memory>
#include <string>

namespace mosaic::tool {

class VideoWriter {
 public:
  explicit VideoWriter(std::string path);
  ~VideoWriter();
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  // True when FFmpeg knows a container for the path's suffix (.mp4, .mkv, .avi, ...).
  static bool isVideoPath(const std::string& path);

  // Prepares a video of `width` x `height` pictures; false with `error` set on failure.
  bool open(int width, int height, std::string& error);
  // Appends one picture, shown for 1.28 s.
  bool write(const QImage& picture, std::string& error);
  // Finishes the file and puts it in place.
  bool finish(std::string& error);

 private:
  struct Encoder;
  PendingFile file_;
  std::unique_ptr<Encoder> encoder_;
};

}  // namespace mosaic::tool
