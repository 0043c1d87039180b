#include "platform/capture_worker.h"

#include <QMetaObject>

#include <cstdio>
#include <utility>

namespace mosaic {

namespace {

// Samples recorded while the window's thread holds both buffers wait this long at most.
constexpr int kBacklogSeconds = 8;
// The sound server's buffer for this stream.
constexpr double kDeviceBufferSeconds = 0.25;
// A stream that delivers nothing for this long has lost its device, whatever it says.
constexpr auto kSilentLimit = std::chrono::seconds(3);

}  // namespace

CaptureWorker::CaptureWorker(std::string device, int sampleRateHz, Filled onFilled)
    : device_(std::move(device)),
      sampleRateHz_(sampleRateHz),
      onFilled_(std::move(onFilled)),
      watch_(this),
      buffers_(sampleRateHz * kBacklogSeconds) {
  connect(&watch_, &QTimer::timeout, this, &CaptureWorker::checkArriving);
}

CaptureWorker::~CaptureWorker() { stop(); }

void CaptureWorker::queue(int bufferId, std::int16_t* samples, int count) {
  report(buffers_.queue(bufferId, samples, count));
}

void CaptureWorker::clearBuffers() { buffers_.clear(); }

bool CaptureWorker::start() {
  stop();
  PulseStream::Setup setup;
  setup.direction = PulseStream::Direction::Recording;
  setup.device = device_;
  setup.sampleRateHz = sampleRateHz_;
  setup.bufferSeconds = kDeviceBufferSeconds;
  setup.clientName = "Mosaicview";
  setup.streamName = "reception";
  lastData_ = std::chrono::steady_clock::now().time_since_epoch().count();
  lostReported_ = false;
  std::string error;
  const bool opened = source_.open(
      setup, nullptr,
      [this](const std::int16_t* samples, std::size_t count) {
        // On the server's client thread: straight into the buffers.
        lastData_ = std::chrono::steady_clock::now().time_since_epoch().count();
        report(buffers_.record(samples, static_cast<int>(count)));
      },
      [this](const std::string& why) {
        QMetaObject::invokeMethod(
            this, [this, why = QString::fromStdString(why)] { reportLost(why); },
            Qt::QueuedConnection);
      },
      error);
  startError_ = opened ? std::string() : error;
  if (!opened) {
    std::fprintf(stderr, "sound: the recording device failed to start (%s); receiving nothing\n",
                 error.c_str());
    return false;
  }
  watch_.start(500);
  return true;
}

void CaptureWorker::stop() {
  watch_.stop();
  source_.close();
}

void CaptureWorker::checkArriving() {
  const auto last =
      std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(lastData_.load()));
  if (source_.isOpen() && std::chrono::steady_clock::now() - last > kSilentLimit)
    reportLost(QStringLiteral("no sound has arrived for %1 s")
                   .arg(std::chrono::duration_cast<std::chrono::seconds>(kSilentLimit).count()));
}

void CaptureWorker::reportLost(const QString& why) {
  if (lostReported_) return;
  lostReported_ = true;
  watch_.stop();
  if (onLost_) onLost_(why);
}

void CaptureWorker::report(const std::vector<int>& filled) {
  const auto now = std::chrono::steady_clock::now();
  for (const int id : filled)
    if (onFilled_) onFilled_(id, now);
}

}  // namespace mosaic
