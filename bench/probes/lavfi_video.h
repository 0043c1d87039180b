#pragma once
// Large test videos for the probes, made from FFmpeg's generated sources (lavfi), so that no
// video file has to be fetched or kept.

#include <string>

namespace mosaic::bench {

// Writes `frames` frames of the lavfi source `graph` (for example
// "testsrc2=size=1920x1080:rate=25") as H.264 in `path` (MP4), with a key frame only every
// `keyframeInterval` frames. False with `error` set when FFmpeg cannot.
bool writeLavfiVideo(const std::string& path, const std::string& graph, int frames,
                     int keyframeInterval, std::string& error);

}  // namespace mosaic::bench
