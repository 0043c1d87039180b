#include "media/ffmpeg_support.h"

#include "media/yuv_to_rgb.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <vector>

namespace mosaic {

std::string ffmpegErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

void quietFfmpegLog() { av_log_set_level(AV_LOG_ERROR); }

namespace {

// FFmpeg's conversion, asked for the same output on every processor. It only rearranges samples
// here (to RGB from RGB formats, to full-size 8-bit planes from YUV ones): the colour matrix is
// our own.
bool convert(const AVFrame& frame, SwsContextPtr& converter, AVPixelFormat to, uint8_t* planes[4],
             int strides[4]) {
  converter.reset(
      sws_getCachedContext(converter.release(), frame.width, frame.height,
                           static_cast<AVPixelFormat>(frame.format), frame.width, frame.height, to,
                           SWS_POINT | SWS_BITEXACT | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
  if (!converter) return false;
  sws_scale(converter.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
  return true;
}

bool isFullRangeFormat(AVPixelFormat f) {
  return f == AV_PIX_FMT_YUVJ420P || f == AV_PIX_FMT_YUVJ422P || f == AV_PIX_FMT_YUVJ444P ||
         f == AV_PIX_FMT_YUVJ440P || f == AV_PIX_FMT_YUVJ411P;
}

}  // namespace

QImage frameToImage(const AVFrame& frame, SwsContextPtr& converter) {
  if (frame.width <= 0 || frame.height <= 0) return {};
  const auto format = static_cast<AVPixelFormat>(frame.format);
  const AVPixFmtDescriptor* description = av_pix_fmt_desc_get(format);
  if (!description) return {};
  QImage image(frame.width, frame.height, QImage::Format_RGB888);
  if (image.isNull()) return {};
  if (description->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) {
    uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    return convert(frame, converter, AV_PIX_FMT_RGB24, planes, strides) ? image : QImage();
  }
  // Luminance and colour differences, as full-size 8-bit planes in the frame's own range.
  const bool fullRange = isFullRangeFormat(format) || frame.color_range == AVCOL_RANGE_JPEG;
  const AVPixelFormat planar = isFullRangeFormat(format) ? AV_PIX_FMT_YUVJ444P : AV_PIX_FMT_YUV444P;
  const auto size = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
  std::vector<uint8_t> samples(3 * size);
  uint8_t* planes[4] = {samples.data(), samples.data() + size, samples.data() + 2 * size, nullptr};
  int strides[4] = {frame.width, frame.width, frame.width, 0};
  if (description->nb_components == 1) {  // grey: no colour
    if (!convert(frame, converter, AV_PIX_FMT_GRAY8, planes, strides)) return {};
    std::fill(samples.begin() + static_cast<std::ptrdiff_t>(size), samples.end(), uint8_t{128});
  } else if (!convert(frame, converter, planar, planes, strides)) {
    return {};
  }
  const YuvToRgb matrix(fullRange ? YuvRange::Full : YuvRange::Limited);
  for (int y = 0; y < frame.height; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.width);
    matrix.convertRow(planes[0] + row, planes[1] + row, planes[2] + row, frame.width,
                      image.scanLine(y));
  }
  return image;
}

}  // namespace mosaic
