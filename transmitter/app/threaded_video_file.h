#pragma once
// A video file that opens, counts, seeks and decodes on a worker thread of its own, so that a
// large file or a slow seek never holds up the window. The window asks for positions; the
// worker goes to the newest one asked for, skipping those overtaken, and hands back the picture
// already fitted to the video area. Until a new picture is ready the previous one stays.

#include "media/video_file_source.h"

#include <QImage>
#include <QObject>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace mosaic {

class ThreadedVideoFile final : public QObject, public VideoFileSource {
 public:
  // `inner` does the work; it is used on the worker only.
  explicit ThreadedVideoFile(std::unique_ptr<VideoFileSource> inner);
  ~ThreadedVideoFile() override;

  // Starts opening `path` and returns true; the outcome comes with the change handler, and
  // until then the file is opening with no length.
  bool open(const std::string& path, std::string& error) override;
  void close() override;
  std::int32_t length() const override;
  void seek(std::int32_t position) override;
  QImage picture() const override;
  void setChangeHandler(std::function<void()> changed) override;
  bool opening() const override;
  std::string takeOpenError() override;

 private:
  void work();
  // Tells the window's thread that something has changed.
  void announce();

  std::unique_ptr<VideoFileSource> inner_;
  std::function<void()> changed_;

  mutable std::mutex lock_;
  std::condition_variable wake_;
  // Requests, newest only (guarded by lock_).
  std::optional<std::string> openPath_;
  bool closeWanted_ = false;
  std::optional<std::int32_t> wantedPosition_;
  bool quit_ = false;
  unsigned serial_ = 0;  // counts opens and closes
  // Results (guarded by lock_); the opening's are set on the window's thread.
  bool opening_ = false;
  std::int32_t length_ = 0;
  std::string openError_;
  QImage picture_;  // fitted to the video area

  std::thread worker_;
};

}  // namespace mosaic
