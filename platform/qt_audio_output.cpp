#include "platform/qt_audio_output.h"

#include "platform/playback_worker.h"

#include <QMetaObject>
#include <QThread>

#include <utility>

namespace mosaic {

QtAudioOutput::QtAudioOutput(QObject* parent) : QObject(parent) {}

QtAudioOutput::~QtAudioOutput() { close(); }

bool QtAudioOutput::open(int sampleRateHz, BufferDone onBufferDone) {
  close();
  openError_.clear();
  onBufferDone_ = std::move(onBufferDone);
  const unsigned generation = generation_;
  thread_ = std::make_unique<QThread>();
  thread_->setObjectName(QStringLiteral("sound output"));
  worker_ = new PlaybackWorker(deviceId_, sampleRateHz, [this, generation](int count, auto at) {
    // On the sound thread: each played buffer goes back to this thread as its own call.
    for (int i = 0; i < count; ++i)
      QMetaObject::invokeMethod(
          this, [this, generation, at] { deliverPlayed(generation, at); }, Qt::QueuedConnection);
  });
  worker_->setLostHandler([this, generation](const QString& why) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, why] {
          if (running_ && generation == generation_ && onLost_) onLost_(why.toStdString());
        },
        Qt::QueuedConnection);
  });
  worker_->moveToThread(thread_.get());
  thread_->start(QThread::TimeCriticalPriority);
  bool started = false;
  QMetaObject::invokeMethod(
      worker_,
      [worker = worker_, &started, this] {
        started = worker->start();
        openError_ = worker->startError();
      },
      Qt::BlockingQueuedConnection);
  if (!started) {
    close();
    return false;
  }
  running_ = true;
  return true;
}

void QtAudioOutput::write(const std::int16_t* samples, int count) {
  if (!worker_) return;
  worker_->stream().enqueue(samples, count);
  QMetaObject::invokeMethod(worker_, &PlaybackWorker::wake, Qt::QueuedConnection);
}

void QtAudioOutput::reset() {
  running_ = false;
  ++generation_;
  if (!worker_) return;
  QMetaObject::invokeMethod(worker_, &PlaybackWorker::stop, Qt::BlockingQueuedConnection);
  worker_->stream().clear();
}

void QtAudioOutput::close() {
  reset();
  if (thread_) {
    // The sink is taken down on the thread it lives on.
    QMetaObject::invokeMethod(
        worker_, [worker = worker_] { delete worker; }, Qt::BlockingQueuedConnection);
    worker_ = nullptr;
    thread_->quit();
    thread_->wait();
    thread_.reset();
  }
  onBufferDone_ = nullptr;
}

void QtAudioOutput::deliverPlayed(unsigned generation, std::chrono::steady_clock::time_point at) {
  if (!running_ || generation != generation_) return;
  handOver_.handled(at);
  if (onBufferDone_) onBufferDone_();
}

}  // namespace mosaic
