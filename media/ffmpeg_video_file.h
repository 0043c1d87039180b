#pragma once
// A video file read with FFmpeg. Opening counts the file's frames from its packets (a
// container's own count may be missing or wrong) and notes their timestamps, so that a
// position is a true frame index and every seek lands on exactly that frame: back to the
// keyframe before it, then decoding forward.

#include "media/video_file_source.h"

#include <memory>

namespace mosaic {

class FfmpegVideoFile final : public VideoFileSource {
 public:
  FfmpegVideoFile();
  ~FfmpegVideoFile() override;
  FfmpegVideoFile(const FfmpegVideoFile&) = delete;
  FfmpegVideoFile& operator=(const FfmpegVideoFile&) = delete;

  bool open(const std::string& path, std::string& error) override;
  void close() override;
  std::int32_t length() const override;
  void seek(std::int32_t position) override;
  QImage picture() const override;

  // The frame index of the picture shown now; -1 when none.
  std::int32_t shownFrame() const;

 private:
  struct Decoder;
  std::unique_ptr<Decoder> decoder_;
};

}  // namespace mosaic
