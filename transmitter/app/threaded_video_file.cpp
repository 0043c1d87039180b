#include "transmitter/app/threaded_video_file.h"

#include "transmitter/app/video_area.h"

#include <QMetaObject>

#include <utility>

namespace mosaic {

ThreadedVideoFile::ThreadedVideoFile(std::unique_ptr<VideoFileSource> inner)
    : inner_(std::move(inner)), worker_(&ThreadedVideoFile::work, this) {}

ThreadedVideoFile::~ThreadedVideoFile() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
  }
  wake_.notify_one();
  worker_.join();
}

bool ThreadedVideoFile::open(const std::string& path, std::string& error) {
  error.clear();
  {
    std::lock_guard<std::mutex> hold(lock_);
    openPath_ = path;
    ++serial_;
    closeWanted_ = false;
    wantedPosition_.reset();
    opening_ = true;
    length_ = 0;
    openError_.clear();
    picture_ = QImage();
  }
  wake_.notify_one();
  return true;
}

void ThreadedVideoFile::close() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    openPath_.reset();
    ++serial_;
    wantedPosition_.reset();
    closeWanted_ = true;
    opening_ = false;
    length_ = 0;
    picture_ = QImage();
  }
  wake_.notify_one();
}

std::int32_t ThreadedVideoFile::length() const {
  std::lock_guard<std::mutex> hold(lock_);
  return length_;
}

void ThreadedVideoFile::seek(std::int32_t position) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    wantedPosition_ = position;
  }
  wake_.notify_one();
}

QImage ThreadedVideoFile::picture() const {
  std::lock_guard<std::mutex> hold(lock_);
  return picture_;
}

void ThreadedVideoFile::setChangeHandler(std::function<void()> changed) {
  changed_ = std::move(changed);
}

bool ThreadedVideoFile::opening() const {
  std::lock_guard<std::mutex> hold(lock_);
  return opening_;
}

std::string ThreadedVideoFile::takeOpenError() {
  std::lock_guard<std::mutex> hold(lock_);
  return std::exchange(openError_, {});
}

void ThreadedVideoFile::announce() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (changed_) changed_();
      },
      Qt::QueuedConnection);
}

void ThreadedVideoFile::work() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    wake_.wait(hold, [this] { return quit_ || openPath_ || closeWanted_ || wantedPosition_; });
    if (quit_) return;
    if (closeWanted_) {
      closeWanted_ = false;
      hold.unlock();
      inner_->close();
      hold.lock();
      continue;
    }
    if (openPath_) {
      const std::string path = *std::exchange(openPath_, std::nullopt);
      hold.unlock();
      std::string error;
      const bool opened = inner_->open(path, error);
      const std::int32_t length = inner_->length();
      hold.lock();
      if (openPath_ || closeWanted_) continue;  // overtaken by another request
      const unsigned serial = serial_;
      hold.unlock();
      // The outcome becomes visible on the window's thread, together with the news of it.
      QMetaObject::invokeMethod(
          this,
          [this, serial, length, error = opened ? std::string() : error] {
            {
              std::lock_guard<std::mutex> result(lock_);
              if (serial != serial_) return;  // a later open or close came first
              opening_ = false;
              length_ = length;
              openError_ = error;
            }
            if (changed_) changed_();
          },
          Qt::QueuedConnection);
      hold.lock();
      continue;
    }
    const std::int32_t position = *std::exchange(wantedPosition_, std::nullopt);
    hold.unlock();
    inner_->seek(position);
    const QImage shown = inner_->picture();
    QImage fitted = shown.isNull() ? QImage() : fitToVideoArea(shown);
    hold.lock();
    if (openPath_ || closeWanted_) continue;  // that file is no longer wanted
    picture_ = std::move(fitted);
    hold.unlock();
    announce();
    hold.lock();
  }
}

}  // namespace mosaic
