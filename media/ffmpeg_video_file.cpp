#include "media/ffmpeg_video_file.h"

#include "media/ffmpeg_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <vector>

namespace mosaic {

namespace {

// Going forward by up to this many frames decodes on from where the decoder is instead of
// seeking back to a keyframe.
constexpr std::int32_t kDecodeOnLimit = 64;

}  // namespace

struct FfmpegVideoFile::Decoder {
  std::string path;
  AvInputPtr format;
  AvCodecPtr codec;
  AvPacketPtr packet = makePacket();
  AvFramePtr frame = makeFrame();
  AvFramePtr previous = makeFrame();  // the last frame decoded before the one wanted
  SwsContextPtr converter;
  int stream = -1;

  // Presentation timestamps of all frames in order. Empty when some packets carry none (MPEG
  // program streams, for one): frames are then counted in the order the decoder gives them
  // out, from the start of the file, since timestamps made up after a seek do not match.
  std::vector<std::int64_t> framePts;
  std::int32_t count = 0;
  std::int32_t shown = -1;
  std::int32_t lastOut =
      -1;                // index of the last frame the decoder gave out since it was positioned
  bool sentEnd = false;  // the decoder has been told the file ended
  QImage picture;

  void closeInput() {
    codec.reset();
    format.reset();
    stream = -1;
  }

  // Opens the container and the decoder of its main video stream.
  bool openInput(std::string& error) {
    closeInput();
    AVFormatContext* opened = nullptr;
    int rc = avformat_open_input(&opened, path.c_str(), nullptr, nullptr);
    if (rc < 0) return fail(error, ffmpegErrorText(rc));  // nothing to free: FFmpeg did
    format.reset(opened);
    if ((rc = avformat_find_stream_info(format.get(), nullptr)) < 0)
      return fail(error, ffmpegErrorText(rc));
    const AVCodec* decoderType = nullptr;
    stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoderType, 0);
    if (stream < 0 || !decoderType) return fail(error, "it holds no video that can be decoded");
    codec.reset(avcodec_alloc_context3(decoderType));
    if (!codec || avcodec_parameters_to_context(codec.get(), format->streams[stream]->codecpar) < 0)
      return fail(error, "its video decoder cannot be set up");
    codec->thread_count = 1;  // one picture a second needs no threads, and idles cheaper
    if ((rc = avcodec_open2(codec.get(), decoderType, nullptr)) < 0)
      return fail(error, ffmpegErrorText(rc));
    sentEnd = false;
    lastOut = -1;
    return true;
  }

  bool fail(std::string& error, const std::string& reason) {
    error = reason;
    closeInput();
    return false;
  }

  // Reads the whole file once: counts the video packets that are shown and notes their times.
  void index() {
    framePts.clear();
    bool allTimed = true;
    while (av_read_frame(format.get(), packet.get()) >= 0) {
      // Packets outside the file's edit list are decoded but never shown: they are no frames.
      if (packet->stream_index == stream && !(packet->flags & AV_PKT_FLAG_DISCARD)) {
        allTimed = allTimed && packet->pts != AV_NOPTS_VALUE;
        framePts.push_back(packet->pts);
      }
      av_packet_unref(packet.get());
    }
    count = static_cast<std::int32_t>(std::min<std::size_t>(framePts.size(), INT32_MAX));
    if (allTimed)
      std::sort(framePts.begin(), framePts.end());
    else
      framePts.clear();
  }

  bool timed() const { return !framePts.empty(); }

  // The frame index of a presentation timestamp.
  std::int32_t indexOf(std::int64_t pts) const {
    const auto at = std::lower_bound(framePts.begin(), framePts.end(), pts);
    return static_cast<std::int32_t>(std::min<std::ptrdiff_t>(at - framePts.begin(), count - 1));
  }

  // Back to the first frame: a seek, or opening the file again where the container cannot.
  void rewind() {
    const std::int64_t start = timed() ? framePts.front() : 0;
    if (avformat_seek_file(format.get(), stream, INT64_MIN, start, start, 0) >= 0) {
      avcodec_flush_buffers(codec.get());
      sentEnd = false;
      lastOut = -1;
    } else {
      std::string ignored;
      openInput(ignored);
    }
    av_frame_unref(previous.get());
  }

  // Positions the demuxer at the keyframe at or before `pts`.
  void seekBefore(std::int64_t pts) {
    if (av_seek_frame(format.get(), stream, pts, AVSEEK_FLAG_BACKWARD) < 0) return rewind();
    avcodec_flush_buffers(codec.get());
    sentEnd = false;
    lastOut = -1;
    av_frame_unref(previous.get());
  }

  // The next frame out of the decoder into `frame`; false at the end of the file.
  bool nextFrame() {
    if (!codec) return false;  // the file could not be opened again
    for (;;) {
      const int rc = avcodec_receive_frame(codec.get(), frame.get());
      if (rc >= 0) return true;
      if (rc != AVERROR(EAGAIN) || sentEnd) return false;
      if (av_read_frame(format.get(), packet.get()) < 0) {
        avcodec_send_packet(codec.get(), nullptr);
        sentEnd = true;
        continue;
      }
      if (packet->stream_index == stream) avcodec_send_packet(codec.get(), packet.get());
      av_packet_unref(packet.get());
    }
  }

  void show(AVFrame* shownFrame, std::int32_t index) {
    picture = frameToImage(*shownFrame, converter);
    shown = index;
  }

  // Decodes on until the frame at `target` (timestamped files): a frame whose timestamp is
  // past the target means the target itself has no picture, and the one before is shown.
  // Returns false when the first frame out is already past the target (the seek overshot).
  bool decodeOnTo(std::int32_t target) {
    const std::int64_t targetPts = framePts[static_cast<std::size_t>(target)];
    bool first = true;
    while (nextFrame()) {
      std::int64_t pts = frame->best_effort_timestamp;
      if (pts == AV_NOPTS_VALUE)
        pts = lastOut + 1 < count ? framePts[static_cast<std::size_t>(lastOut + 1)] : targetPts;
      lastOut = indexOf(pts);
      if (pts < targetPts) {
        av_frame_unref(previous.get());
        av_frame_move_ref(previous.get(), frame.get());
        first = false;
        continue;
      }
      if (pts == targetPts || !previous->buf[0]) {
        if (first && pts > targetPts) return false;
        show(frame.get(), lastOut);
        av_frame_unref(frame.get());
      } else {
        show(previous.get(), indexOf(previous->best_effort_timestamp));
        av_frame_unref(previous.get());
        av_frame_move_ref(previous.get(), frame.get());
      }
      return true;
    }
    if (previous->buf[0]) show(previous.get(), lastOut);
    return true;
  }

  // Decodes on, counting frames, until the frame at `target` (files without timestamps).
  void countOnTo(std::int32_t target) {
    while (lastOut < target && nextFrame()) {
      ++lastOut;
      if (lastOut == target) {
        show(frame.get(), target);
      } else {
        av_frame_unref(previous.get());
        av_frame_move_ref(previous.get(), frame.get());
      }
    }
    if (lastOut < target && previous->buf[0])
      show(previous.get(), lastOut);  // fewer frames than packets
    av_frame_unref(frame.get());
  }

  void seek(std::int32_t position) {
    if (!format || count == 0) return;
    const std::int32_t target = std::clamp(position, 0, count - 1);
    if (target == shown) return;
    const bool ahead = target > lastOut && target - lastOut <= kDecodeOnLimit && !sentEnd;
    if (!timed()) {
      if (!ahead) rewind();
      countOnTo(target);
      return;
    }
    if (!ahead) seekBefore(framePts[static_cast<std::size_t>(target)]);
    if (!decodeOnTo(target)) {
      rewind();
      decodeOnTo(target);
    }
  }
};

FfmpegVideoFile::FfmpegVideoFile() { quietFfmpegLog(); }

FfmpegVideoFile::~FfmpegVideoFile() = default;

bool FfmpegVideoFile::open(const std::string& path, std::string& error) {
  close();
  auto decoder = std::make_unique<Decoder>();
  decoder->path = path;
  if (!decoder->openInput(error)) return false;
  decoder->index();
  if (decoder->count == 0) {
    error = "it holds no video frames";
    return false;
  }
  decoder->rewind();
  decoder_ = std::move(decoder);
  return true;
}

void FfmpegVideoFile::close() { decoder_.reset(); }

std::int32_t FfmpegVideoFile::length() const { return decoder_ ? decoder_->count : 0; }

void FfmpegVideoFile::seek(std::int32_t position) {
  if (decoder_) decoder_->seek(position);
}

QImage FfmpegVideoFile::picture() const { return decoder_ ? decoder_->picture : QImage(); }

std::int32_t FfmpegVideoFile::shownFrame() const { return decoder_ ? decoder_->shown : -1; }

}  // namespace mosaic
