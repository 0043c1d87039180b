#pragma once
// Pictures on their way to the pictures folder. One that cannot be written (the folder is
// missing, not writable or full) waits in memory, in order, until the folder takes it; when too
// many wait, the oldest are given up, and counted.

#include "receiver/pictures/saved_pictures.h"

#include <QImage>
#include <QString>

#include <deque>
#include <functional>

namespace mosaic {

class WaitingPictures {
 public:
  // About two minutes of frames.
  static constexpr std::size_t kMostWaiting = 100;
  // Told of each picture written: its path and details.
  using Written = std::function<void(const QString& path, const PictureDetails& details)>;

  // Puts a picture at the end of the line.
  void add(const QImage& picture, const PictureDetails& details);
  // Writes the waiting pictures into `folder`, oldest first, telling `written` of each. Stops at
  // the first that cannot be written: false, with the reason in `error`.
  bool writeInto(const QString& folder, QString& error, const Written& written = {});

  std::size_t size() const { return waiting_.size(); }
  bool empty() const { return waiting_.empty(); }
  // Pictures given up for room so far.
  int dropped() const { return dropped_; }

 private:
  struct Waiting {
    QImage picture;
    PictureDetails details;
  };
  std::deque<Waiting> waiting_;
  int dropped_ = 0;
};

}  // namespace mosaic
