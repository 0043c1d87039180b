#include "bench/probes/lavfi_video.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace mosaic::bench {

namespace {

// Everything FFmpeg hands out for one conversion, released together.
struct Job {
  AVFormatContext* in = nullptr;
  AVCodecContext* decoder = nullptr;
  AVFormatContext* out = nullptr;
  AVCodecContext* encoder = nullptr;
  SwsContext* scale = nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  AVFrame* yuv = av_frame_alloc();
  AVStream* stream = nullptr;

  ~Job() {
    av_frame_free(&yuv);
    av_frame_free(&frame);
    av_packet_free(&packet);
    sws_freeContext(scale);
    avcodec_free_context(&encoder);
    avcodec_free_context(&decoder);
    if (out) {
      avio_closep(&out->pb);
      avformat_free_context(out);
    }
    avformat_close_input(&in);
  }

  bool drain() {
    while (avcodec_receive_packet(encoder, packet) >= 0) {
      av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(out, packet) < 0) return false;
    }
    return true;
  }
};

}  // namespace

bool writeLavfiVideo(const std::string& path, const std::string& graph, int frames,
                     int keyframeInterval, std::string& error) {
  avdevice_register_all();
  Job job;
  if (avformat_open_input(&job.in, graph.c_str(), av_find_input_format("lavfi"), nullptr) < 0 ||
      avformat_find_stream_info(job.in, nullptr) < 0)
    return error = "lavfi cannot make " + graph, false;
  const AVCodec* decoderType = nullptr;
  const int source = av_find_best_stream(job.in, AVMEDIA_TYPE_VIDEO, -1, -1, &decoderType, 0);
  if (source < 0) return error = "no video from " + graph, false;
  job.decoder = avcodec_alloc_context3(decoderType);
  avcodec_parameters_to_context(job.decoder, job.in->streams[source]->codecpar);
  if (avcodec_open2(job.decoder, decoderType, nullptr) < 0) return error = "no decoder", false;

  const AVCodec* encoderType = avcodec_find_encoder_by_name("libx264");
  if (!encoderType) encoderType = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  avformat_alloc_output_context2(&job.out, nullptr, "mp4", path.c_str());
  if (!job.out || !encoderType) return error = "no MP4 writer or encoder", false;
  job.stream = avformat_new_stream(job.out, nullptr);
  job.encoder = avcodec_alloc_context3(encoderType);
  job.encoder->width = job.decoder->width;
  job.encoder->height = job.decoder->height;
  job.encoder->time_base = {1, 25};
  job.encoder->framerate = {25, 1};
  job.encoder->gop_size = keyframeInterval;
  job.encoder->keyint_min = keyframeInterval;
  job.encoder->max_b_frames = 2;
  job.encoder->pix_fmt = AV_PIX_FMT_YUV420P;
  job.encoder->bit_rate = 8'000'000;
  if (job.out->oformat->flags & AVFMT_GLOBALHEADER)
    job.encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(job.encoder, encoderType, nullptr) < 0 ||
      avcodec_parameters_from_context(job.stream->codecpar, job.encoder) < 0)
    return error = "the encoder refuses the format", false;
  job.stream->time_base = job.encoder->time_base;
  if (avio_open(&job.out->pb, path.c_str(), AVIO_FLAG_WRITE) < 0 ||
      avformat_write_header(job.out, nullptr) < 0)
    return error = "cannot write " + path, false;

  job.yuv->format = AV_PIX_FMT_YUV420P;
  job.yuv->width = job.encoder->width;
  job.yuv->height = job.encoder->height;
  av_frame_get_buffer(job.yuv, 0);
  int written = 0;
  while (written < frames && av_read_frame(job.in, job.packet) >= 0) {
    if (job.packet->stream_index == source && avcodec_send_packet(job.decoder, job.packet) >= 0) {
      while (written < frames && avcodec_receive_frame(job.decoder, job.frame) >= 0) {
        job.scale = sws_getCachedContext(job.scale, job.frame->width, job.frame->height,
                                         static_cast<AVPixelFormat>(job.frame->format),
                                         job.yuv->width, job.yuv->height, AV_PIX_FMT_YUV420P,
                                         SWS_BILINEAR, nullptr, nullptr, nullptr);
        av_frame_make_writable(job.yuv);
        sws_scale(job.scale, job.frame->data, job.frame->linesize, 0, job.frame->height,
                  job.yuv->data, job.yuv->linesize);
        job.yuv->pts = written++;
        if (avcodec_send_frame(job.encoder, job.yuv) < 0 || !job.drain())
          return error = "encoding failed", false;
        av_frame_unref(job.frame);
      }
    }
    av_packet_unref(job.packet);
  }
  avcodec_send_frame(job.encoder, nullptr);
  if (!job.drain() || av_write_trailer(job.out) < 0) return error = "finishing failed", false;
  return true;
}

}  // namespace mosaic::bench
