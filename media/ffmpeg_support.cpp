#include "media/ffmpeg_support.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace mosaic {

std::string ffmpegErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

void quietFfmpegLog() { av_log_set_level(AV_LOG_ERROR); }

QImage frameToImage(const AVFrame& frame, SwsContextPtr& converter) {
  if (frame.width <= 0 || frame.height <= 0) return {};
  // The cached context is either reused or freed and replaced.
  converter.reset(sws_getCachedContext(
      converter.release(), frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
      frame.width, frame.height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr));
  if (!converter) return {};
  QImage image(frame.width, frame.height, QImage::Format_RGB888);
  uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
  int strides[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
  sws_scale(converter.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
  return image;
}

}  // namespace mosaic
