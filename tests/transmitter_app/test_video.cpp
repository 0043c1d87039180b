#include "test_video.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <cstdio>

namespace mosaic::test {

namespace {

bool drain(AVCodecContext* codec, AVFormatContext* format, AVStream* stream, AVPacket* packet) {
  int rc;
  while ((rc = avcodec_receive_packet(codec, packet)) >= 0) {
    packet->duration = 1;  // one frame; without it MP4 leaves the last frame out of its edit list
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    if (av_interleaved_write_frame(format, packet) < 0) return false;
  }
  return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF;
}

}  // namespace

bool writeTestVideo(const std::string& path, const TestVideo& video) {
  AVFormatContext* format = nullptr;
  if (avformat_alloc_output_context2(&format, nullptr, video.container.c_str(), path.c_str()) < 0)
    return false;
  const AVCodec* encoder = avcodec_find_encoder_by_name(video.codec.c_str());
  if (!encoder) {
    std::fprintf(stderr, "no encoder %s\n", video.codec.c_str());
    avformat_free_context(format);
    return false;
  }
  AVStream* stream = avformat_new_stream(format, nullptr);
  AVCodecContext* codec = avcodec_alloc_context3(encoder);
  codec->width = video.width;
  codec->height = video.height;
  codec->time_base = {1, 25};
  codec->framerate = {25, 1};
  codec->gop_size = video.keyframeInterval;
  codec->max_b_frames = video.bFrames;
  codec->pix_fmt = encoder->pix_fmts ? encoder->pix_fmts[0] : AV_PIX_FMT_YUV420P;
  codec->global_quality = FF_QP2LAMBDA * 2;
  codec->flags |= AV_CODEC_FLAG_QSCALE;
  if (format->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  bool ok = avcodec_open2(codec, encoder, nullptr) >= 0 &&
            avcodec_parameters_from_context(stream->codecpar, codec) >= 0;
  stream->time_base = codec->time_base;
  ok = ok && avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
       avformat_write_header(format, nullptr) >= 0;
  AVFrame* frame = av_frame_alloc();
  AVPacket* packet = av_packet_alloc();
  frame->format = codec->pix_fmt;
  frame->width = video.width;
  frame->height = video.height;
  ok = ok && av_frame_get_buffer(frame, 0) >= 0;
  for (int i = 0; ok && i < video.frames; ++i) {
    ok = av_frame_make_writable(frame) >= 0;
    if (video.picture) {
      const QImage rgb =
          video.picture(i).scaled(video.width, video.height).convertToFormat(QImage::Format_RGB888);
      SwsContext* sws =
          sws_getContext(video.width, video.height, AV_PIX_FMT_RGB24, video.width, video.height,
                         codec->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
      const uint8_t* src[1] = {rgb.constBits()};
      const int stride[1] = {static_cast<int>(rgb.bytesPerLine())};
      sws_scale(sws, src, stride, 0, video.height, frame->data, frame->linesize);
      sws_freeContext(sws);
      frame->pts = i;
      ok = ok && avcodec_send_frame(codec, frame) >= 0 && drain(codec, format, stream, packet);
      continue;
    }
    // Grey: luma at the level, chroma neutral (for the YUV formats these encoders take).
    for (int p = 0; p < 3 && frame->data[p]; ++p) {
      const int rows = p == 0 ? video.height : AV_CEIL_RSHIFT(video.height, 1);
      const int value = p == 0 ? frameGrey(i) : 128;
      for (int y = 0; y < rows; ++y)
        std::fill_n(frame->data[p] + y * frame->linesize[p], frame->linesize[p],
                    static_cast<uint8_t>(value));
    }
    frame->pts = i;
    ok = ok && avcodec_send_frame(codec, frame) >= 0 && drain(codec, format, stream, packet);
  }
  ok = ok && avcodec_send_frame(codec, nullptr) >= 0 && drain(codec, format, stream, packet);
  ok = ok && av_write_trailer(format) >= 0;
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&codec);
  if (format->pb) avio_closep(&format->pb);
  avformat_free_context(format);
  return ok;
}

int frameOfPicture(const QImage& picture) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  double sum = 0;
  for (int y = 0; y < rgb.height(); ++y)
    for (int x = 0; x < rgb.width(); ++x) sum += rgb.pixelColor(x, y).green();
  const double mean = sum / (rgb.width() * rgb.height());
  // Studio-range luma as the decoder's full-range RGB.
  const auto rgbOf = [](int i) { return (frameGrey(i) - 16) * 255.0 / 219.0; };
  int best = 0;
  for (int i = 1; i < 37; ++i)
    if (std::abs(rgbOf(i) - mean) < std::abs(rgbOf(best) - mean)) best = i;
  return best;
}

}  // namespace mosaic::test
