#include "tools/video_writer.h"

#include "media/ffmpeg_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace mosaic::tool {

namespace {

// One picture per 1.28 s: 32 ticks of 1/25 s each.
constexpr AVRational kTimeBase{1, 25};
constexpr int kTicksPerPicture = 32;

// FFmpeg writes through the pending file, which checks every write; seeking moves the
// temporary file's position (containers such as MP4 write their index at the start last).
#if LIBAVFORMAT_VERSION_MAJOR >= 61
int writeToFile(void* opaque, const std::uint8_t* data, int size) {
#else
int writeToFile(void* opaque, std::uint8_t* data, int size) {
#endif
  std::string ignored;
  errno = 0;
  if (static_cast<PendingFile*>(opaque)->write(data, static_cast<std::size_t>(size), ignored))
    return size;
  return AVERROR(errno != 0 ? errno : EIO);
}

std::int64_t seekInFile(void* opaque, std::int64_t offset, int whence) {
  const int fd = static_cast<PendingFile*>(opaque)->descriptor();
  if (whence & AVSEEK_SIZE) {
    struct stat s {};
    return ::fstat(fd, &s) == 0 ? s.st_size : AVERROR(errno);
  }
  const off_t at = ::lseek(fd, offset, whence & ~AVSEEK_FORCE);
  return at < 0 ? AVERROR(errno) : at;
}

}  // namespace

struct VideoWriter::Encoder {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scaler = nullptr;
  std::int64_t nextPts = 0;
  bool headerWritten = false;

  ~Encoder() {
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    if (format) {
      if (format->pb) {
        av_freep(&format->pb->buffer);
        avio_context_free(&format->pb);
      }
      avformat_free_context(format);
    }
  }

  // Sends `picture` (or nothing, to drain) to the encoder and writes what comes out.
  bool encode(AVFrame* picture, std::string& error) {
    int status = avcodec_send_frame(codec, picture);
    if (status < 0) {
      error = "cannot encode the video: " + ffmpegErrorText(status);
      return false;
    }
    for (;;) {
      status = avcodec_receive_packet(codec, packet);
      if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return true;
      if (status < 0) {
        error = "cannot encode the video: " + ffmpegErrorText(status);
        return false;
      }
      if (packet->duration == 0) packet->duration = kTicksPerPicture;  // the last picture's too
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      status = av_interleaved_write_frame(format, packet);
      if (status < 0) {
        error = "cannot write the video: " + ffmpegErrorText(status);
        return false;
      }
    }
  }
};

VideoWriter::VideoWriter(std::string path) : file_(std::move(path)) {}

VideoWriter::~VideoWriter() = default;

bool VideoWriter::isVideoPath(const std::string& path) {
  const AVOutputFormat* format = av_guess_format(nullptr, path.c_str(), nullptr);
  return format && format->video_codec != AV_CODEC_ID_NONE && !(format->flags & AVFMT_NOFILE) &&
         format->video_codec != AV_CODEC_ID_PNG && format->video_codec != AV_CODEC_ID_MJPEG;
}

bool VideoWriter::open(int width, int height, std::string& error) {
  quietFfmpegLog();
  auto e = std::make_unique<Encoder>();
  const AVOutputFormat* container = av_guess_format(nullptr, file_.targetPath().c_str(), nullptr);
  if (!container || avformat_alloc_output_context2(&e->format, container, nullptr,
                                                   file_.targetPath().c_str()) < 0) {
    error = "no video container for " + file_.targetPath();
    return false;
  }
  // The container's usual codec, or MPEG-4 part 2, which every FFmpeg can write.
  const AVCodec* codec = avcodec_find_encoder(container->video_codec);
  if (!codec || codec->type != AVMEDIA_TYPE_VIDEO) codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (!codec) {
    error = "FFmpeg has no video encoder";
    return false;
  }
  e->stream = avformat_new_stream(e->format, nullptr);
  e->codec = avcodec_alloc_context3(codec);
  e->frame = av_frame_alloc();
  e->packet = av_packet_alloc();
  if (!e->stream || !e->codec || !e->frame || !e->packet) {
    error = "out of memory";
    return false;
  }
  e->codec->width = width;
  e->codec->height = height;
  e->codec->pix_fmt = AV_PIX_FMT_YUV420P;
  e->codec->time_base = kTimeBase;
  e->codec->framerate = AVRational{kTimeBase.den, kTimeBase.num * kTicksPerPicture};
  e->codec->gop_size = 12;
  e->codec->bit_rate = 400000;
  if (e->format->oformat->flags & AVFMT_GLOBALHEADER)
    e->codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  int status = avcodec_open2(e->codec, codec, nullptr);
  if (status < 0) {
    error = "cannot start the video encoder: " + ffmpegErrorText(status);
    return false;
  }
  avcodec_parameters_from_context(e->stream->codecpar, e->codec);
  e->stream->time_base = kTimeBase;
  e->frame->format = e->codec->pix_fmt;
  e->frame->width = width;
  e->frame->height = height;
  if (av_frame_get_buffer(e->frame, 0) < 0) {
    error = "out of memory";
    return false;
  }
  e->scaler = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, e->codec->pix_fmt,
                             SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!file_.open(error)) return false;
  constexpr int kIoBufferBytes = 64 * 1024;
  auto* ioBuffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
  e->format->pb = ioBuffer ? avio_alloc_context(ioBuffer, kIoBufferBytes, 1, &file_, nullptr,
                                                writeToFile, seekInFile)
                           : nullptr;
  if (!e->format->pb) {
    av_free(ioBuffer);
    error = "out of memory";
    return false;
  }
  e->format->flags |= AVFMT_FLAG_CUSTOM_IO;
  status = avformat_write_header(e->format, nullptr);
  if (status < 0) {
    error = "cannot write " + file_.targetPath() + ": " + ffmpegErrorText(status);
    return false;
  }
  e->headerWritten = true;
  encoder_ = std::move(e);
  return true;
}

bool VideoWriter::write(const QImage& picture, std::string& error) {
  Encoder& e = *encoder_;
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  if (rgb.width() != e.codec->width || rgb.height() != e.codec->height) {
    error = "a picture of another size than the video";
    return false;
  }
  if (av_frame_make_writable(e.frame) < 0) {
    error = "out of memory";
    return false;
  }
  const std::uint8_t* source[1] = {rgb.constBits()};
  const int sourceStride[1] = {static_cast<int>(rgb.bytesPerLine())};
  sws_scale(e.scaler, source, sourceStride, 0, rgb.height(), e.frame->data, e.frame->linesize);
  e.frame->pts = e.nextPts;
  e.nextPts += kTicksPerPicture;
  return e.encode(e.frame, error);
}

bool VideoWriter::finish(std::string& error) {
  if (!encoder_) {
    error = "cannot write " + file_.targetPath();
    return false;
  }
  Encoder& e = *encoder_;
  if (!e.encode(nullptr, error)) return false;
  int status = av_write_trailer(e.format);
  if (status >= 0) {
    avio_flush(e.format->pb);
    status = e.format->pb->error;
  }
  if (status < 0) {
    error = "cannot write " + file_.targetPath() + ": " + ffmpegErrorText(status);
    return false;
  }
  encoder_.reset();
  return file_.commit(error);
}

}  // namespace mosaic::tool
