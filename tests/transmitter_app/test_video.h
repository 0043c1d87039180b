#pragma once
// Small test videos made in the test itself with FFmpeg's encoders. Frame i is filled with the
// grey level of frameGrey(i), so that a decoded picture tells which frame it is.

#include <QImage>

#include <functional>
#include <string>

namespace mosaic::test {

struct TestVideo {
  std::string container = "avi";  // FFmpeg muxer name
  std::string codec = "mpeg4";    // FFmpeg encoder name
  int frames = 30;
  int width = 64;
  int height = 48;
  int keyframeInterval = 10;
  int bFrames = 0;
  // When set, frame i shows this picture (scaled to the video's size) instead of a grey level.
  std::function<QImage(int)> picture;
};

// The grey level that frame i carries.
inline int frameGrey(int i) { return 16 + (i * 6) % 224; }

// Writes the video; false when FFmpeg cannot (the error on standard error).
bool writeTestVideo(const std::string& path, const TestVideo& video);

// The frame index whose grey level is nearest to the mean of `picture` (of the first 37 frames).
int frameOfPicture(const QImage& picture);

}  // namespace mosaic::test
