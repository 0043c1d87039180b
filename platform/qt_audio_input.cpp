#include "platform/qt_audio_input.h"

#include "platform/capture_worker.h"

#include <QMetaObject>
#include <QThread>

#include <utility>

namespace mosaic {

QtAudioInput::QtAudioInput(QObject* parent) : QObject(parent) {}

QtAudioInput::~QtAudioInput() { close(); }

bool QtAudioInput::open(int sampleRateHz, BufferFilled onBufferFilled) {
  close();
  openError_.clear();
  onBufferFilled_ = std::move(onBufferFilled);
  thread_ = std::make_unique<QThread>();
  thread_->setObjectName(QStringLiteral("sound input"));
  worker_ = new CaptureWorker(deviceId_, sampleRateHz, [this](int id, auto at) {
    // Reported from the event loop of this object's thread, never inside the device's read.
    const unsigned g = generation_.load();
    QMetaObject::invokeMethod(
        this, [this, id, g, at] { deliverFilled(id, g, at); }, Qt::QueuedConnection);
  });
  worker_->setLostHandler([this](const QString& why) {
    const unsigned g = generation_.load();
    QMetaObject::invokeMethod(
        this,
        [this, g, why] {
          if (running_ && g == generation_ && onLost_) onLost_(why.toStdString());
        },
        Qt::QueuedConnection);
  });
  worker_->moveToThread(thread_.get());
  thread_->start(QThread::TimeCriticalPriority);
  // The stream is opened here, so that a server or device that is not there fails the opening;
  // what arrives before start() waits in the backlog.
  if (!startRecording()) {
    close();
    return false;
  }
  return true;
}

void QtAudioInput::queue(int bufferId, std::int16_t* samples, int count) {
  if (worker_) worker_->queue(bufferId, samples, count);
}

void QtAudioInput::start() {
  if (!worker_ || running_) return;
  running_ = recording_ || startRecording();
}

bool QtAudioInput::startRecording() {
  bool started = false;
  QMetaObject::invokeMethod(
      worker_,
      [worker = worker_, &started, this] {
        started = worker->start();
        openError_ = worker->startError();
      },
      Qt::BlockingQueuedConnection);
  recording_ = started;
  return started;
}

void QtAudioInput::deliverFilled(int bufferId, unsigned generation,
                                 std::chrono::steady_clock::time_point at) {
  if (!running_ || generation != generation_) return;
  handOver_.handled(at);
  if (onBufferFilled_) onBufferFilled_(bufferId);
}

void QtAudioInput::reset() {
  running_ = false;
  recording_ = false;
  if (worker_) {
    QMetaObject::invokeMethod(worker_, &CaptureWorker::stop, Qt::BlockingQueuedConnection);
    worker_->clearBuffers();
  }
  // Reports posted until now belong to the recording that has just been stopped.
  ++generation_;
}

void QtAudioInput::close() {
  reset();
  if (thread_) {
    // The source is taken down on the thread it lives on.
    QMetaObject::invokeMethod(
        worker_, [worker = worker_] { delete worker; }, Qt::BlockingQueuedConnection);
    worker_ = nullptr;
    thread_->quit();
    thread_->wait();
    thread_.reset();
  }
  onBufferFilled_ = nullptr;
}

std::int64_t QtAudioInput::lostSamples() const { return worker_ ? worker_->lostSamples() : 0; }

}  // namespace mosaic
