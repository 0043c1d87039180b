#pragma once
// Small helpers around FFmpeg shared by the file and camera sources.

#include "media/av_pointers.h"

#include <QImage>

#include <string>

namespace mosaic {

// FFmpeg's text for an error code.
std::string ffmpegErrorText(int code);

// Keeps FFmpeg's own log to errors (it would otherwise chat about every file it opens).
void quietFfmpegLog();

// Converts a decoded frame to 24-bit RGB at its own size, reusing `converter`.
QImage frameToImage(const AVFrame& frame, SwsContextPtr& converter);

}  // namespace mosaic
