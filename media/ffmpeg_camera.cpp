#include "media/ffmpeg_camera.h"

#include "media/capture_devices.h"
#include "media/ffmpeg_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <chrono>
#include <mutex>
#include <string>

namespace mosaic {

namespace {

using Clock = std::chrono::steady_clock;

void registerDevices() {
  static std::once_flag once;
  std::call_once(once, [] {
    quietFfmpegLog();
    avdevice_register_all();
  });
}

}  // namespace

// An opened capture device with the decoder of its video.
struct FfmpegCamera::Input {
  AvInputPtr format;
  AvCodecPtr codec;
  SwsContextPtr converter;
  int stream = -1;

  // `stop` ends a device open that hangs, where FFmpeg can break it off.
  bool open(const std::string& inputFormat, const std::string& device,
            const CameraSettings& settings, const std::atomic<bool>& stop) {
    const AVInputFormat* kind = av_find_input_format(inputFormat.c_str());
    if (!kind) return false;
    AVDictionary* options = nullptr;
    if (settings.width > 0 && settings.height > 0)
      av_dict_set(&options, "video_size",
                  (std::to_string(settings.width) + "x" + std::to_string(settings.height)).c_str(),
                  0);
    AVFormatContext* opened = avformat_alloc_context();
    if (!opened) return false;
    opened->interrupt_callback.callback = [](void* flag) {
      return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0;
    };
    opened->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(&stop);
    opened->flags |= AVFMT_FLAG_NONBLOCK;  // the reader must be able to stop without a frame
    const int rc = avformat_open_input(&opened, device.c_str(), kind, &options);
    av_dict_free(&options);
    if (rc < 0) return false;  // avformat_open_input freed the context
    format.reset(opened);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) return false;
    const AVCodec* decoderType = nullptr;
    stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoderType, 0);
    if (stream < 0 || !decoderType) return false;
    codec.reset(avcodec_alloc_context3(decoderType));
    if (!codec || avcodec_parameters_to_context(codec.get(), format->streams[stream]->codecpar) < 0)
      return false;
    codec->thread_count = 1;
    return avcodec_open2(codec.get(), decoderType, nullptr) >= 0;
  }
};

FfmpegCamera::FfmpegCamera(CaptureBackend backend, QObject* parent)
    : QObject(parent), backend_(std::move(backend)) {
  registerDevices();
  connect(&previewTimer_, &QTimer::timeout, this, &FfmpegCamera::requestPicture);
}

FfmpegCamera::~FfmpegCamera() { disconnectDriver(); }

bool FfmpegCamera::connectDriver(const CameraSettings& settings) {
  if (reader_.joinable()) {
    if (!readerEnded_) return true;  // connected, or still connecting
    disconnectDriver();              // no device opened, or it went away: try afresh
  }
  std::vector<std::string> candidates =
      settings.device.empty() ? devices() : std::vector<std::string>{settings.device};
  if (candidates.empty()) return false;
  stop_ = false;
  readerEnded_ = false;
  // Probing and opening a device can take a second or more: the reader does it.
  reader_ = std::thread([this, candidates, settings] {
    if (openFirst(candidates, settings)) readFrames();
    opened_ = false;  // nothing more comes from this device
    readerEnded_ = true;
  });
  return true;
}

bool FfmpegCamera::openFirst(const std::vector<std::string>& candidates,
                             const CameraSettings& settings) {
  for (const auto& candidate : candidates) {
    if (stop_) return false;
    auto input = std::make_unique<Input>();
    if (!input->open(backend_.inputFormat, candidate, settings, stop_)) continue;
    std::lock_guard<std::mutex> lock(pictureLock_);
    input_ = std::move(input);
    device_ = candidate;
    deliveredSize_ = {input_->codec->width, input_->codec->height};
    opened_ = true;
    return true;
  }
  return false;
}

void FfmpegCamera::disconnectDriver() {
  previewTimer_.stop();
  stop_ = true;
  if (reader_.joinable()) reader_.join();
  std::lock_guard<std::mutex> lock(pictureLock_);
  opened_ = false;
  input_.reset();
  device_.clear();
}

std::string FfmpegCamera::connectedDevice() const {
  std::lock_guard<std::mutex> lock(pictureLock_);
  return device_;
}

void FfmpegCamera::startPreview(int intervalMs, PreviewHandler handler) {
  handler_ = std::move(handler);
  wanted_ = true;  // the first picture as soon as the device has one
  previewTimer_.start(intervalMs);
}

std::vector<std::string> FfmpegCamera::devices() const {
  return backend_.candidates.empty() ? listCaptureDevices() : backend_.candidates;
}

std::vector<FrameSize> FfmpegCamera::frameSizes() const {
  const std::vector<std::string> all = devices();
  const std::string connectedTo = connectedDevice();
  const std::string device = !connectedTo.empty() ? connectedTo
                             : all.empty()        ? std::string()
                                                  : all.front();
  std::vector<FrameSize> sizes =
      backend_.inputFormat == "video4linux2" ? captureFrameSizes(device) : std::vector<FrameSize>{};
  // A device that lists no sizes offers at least the one it delivers now.
  std::lock_guard<std::mutex> lock(pictureLock_);
  if (sizes.empty() && opened_) sizes.push_back(deliveredSize_);
  return sizes;
}

void FfmpegCamera::requestPicture() { wanted_ = true; }

void FfmpegCamera::deliverPicture() {
  QImage picture;
  {
    std::lock_guard<std::mutex> lock(pictureLock_);
    picture.swap(finished_);
  }
  if (!picture.isNull() && connected() && handler_) handler_(picture);
}

void FfmpegCamera::readFrames() {
  const AvPacketPtr packet = makePacket();
  const AvFramePtr frame = makeFrame();
  if (!packet || !frame) return;
  const AVRational timeBase = input_->format->streams[input_->stream]->time_base;
  const Clock::time_point start = Clock::now();
  std::int64_t firstPts = AV_NOPTS_VALUE;
  while (!stop_) {
    const int rc = av_read_frame(input_->format.get(), packet.get());
    if (rc == AVERROR(EAGAIN)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    if (rc < 0) break;  // the device went away: the area keeps its last picture
    if (packet->stream_index == input_->stream) {
      // A generated source runs as fast as it is read; hold it to its own frame rate.
      if (packet->pts != AV_NOPTS_VALUE) {
        if (firstPts == AV_NOPTS_VALUE) firstPts = packet->pts;
        const auto due = start + std::chrono::microseconds(
                                     av_rescale_q(packet->pts - firstPts, timeBase, {1, 1000000}));
        while (!stop_ && Clock::now() < due)
          std::this_thread::sleep_for(
              std::min<Clock::duration>(due - Clock::now(), std::chrono::milliseconds(50)));
      }
      if (avcodec_send_packet(input_->codec.get(), packet.get()) >= 0) {
        while (avcodec_receive_frame(input_->codec.get(), frame.get()) >= 0) {
          if (wanted_.exchange(false)) {
            QImage picture = frameToImage(*frame, input_->converter);
            {
              std::lock_guard<std::mutex> lock(pictureLock_);
              finished_ = std::move(picture);
            }
            QMetaObject::invokeMethod(this, &FfmpegCamera::deliverPicture, Qt::QueuedConnection);
          }
          av_frame_unref(frame.get());
        }
      }
    }
    av_packet_unref(packet.get());
  }
}

}  // namespace mosaic
