#pragma once
// The picture sources of the video area. A source hands out its current picture; the window
// puts it into the composed video area.

#include <QImage>

#include <cstdint>
#include <functional>
#include <string>

namespace mosaic {

// A video file as the transmitter shows it: positions are frame indices 0..length - 1; a
// position at or past the end shows the last frame.
class VideoFileSource {
 public:
  virtual ~VideoFileSource() = default;

  // Opens `path`; false with `error` set (a reason for the operator) when it cannot be shown.
  virtual bool open(const std::string& path, std::string& error) = 0;
  // Closes the file; the source then shows nothing.
  virtual void close() = 0;
  // The number of frames of the open file; 0 when none is open.
  virtual std::int32_t length() const = 0;
  // Shows the frame at `position` exactly.
  virtual void seek(std::int32_t position) = 0;
  // The frame shown now at the file's own size; null when nothing is shown.
  virtual QImage picture() const = 0;

  // A source that opens and seeks on a worker returns at once and later calls `changed` on the
  // window's thread, whenever its length, its picture or its opening has moved on. A source that
  // does everything at once never calls it.
  virtual void setChangeHandler(std::function<void()> changed) { (void)changed; }
  // True while a file is still being opened.
  virtual bool opening() const { return false; }
  // Why the last opening failed, once, after `changed`; empty otherwise.
  virtual std::string takeOpenError() { return {}; }
};

}  // namespace mosaic
