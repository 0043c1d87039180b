#pragma once
// Owning pointers for FFmpeg's objects, each freed by its own FFmpeg function however the code
// that holds it is left.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace mosaic {

struct AvFreeer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
  void operator()(AVFrame* f) const { av_frame_free(&f); }
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
  // An opened input: closing it frees the context too.
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using AvPacketPtr = std::unique_ptr<AVPacket, AvFreeer>;
using AvFramePtr = std::unique_ptr<AVFrame, AvFreeer>;
using AvCodecPtr = std::unique_ptr<AVCodecContext, AvFreeer>;
using AvInputPtr = std::unique_ptr<AVFormatContext, AvFreeer>;
using SwsContextPtr = std::unique_ptr<SwsContext, AvFreeer>;

inline AvPacketPtr makePacket() { return AvPacketPtr(av_packet_alloc()); }
inline AvFramePtr makeFrame() { return AvFramePtr(av_frame_alloc()); }

}  // namespace mosaic
