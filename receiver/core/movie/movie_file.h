#pragma once
// The movie file as the recorder sees it: made empty, appended to in whole frames, closed. Kept
// behind this small interface so that the recorder can be tried against files that fail.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace mosaic {

class MovieFile {
 public:
  virtual ~MovieFile() = default;

  // Appends `count` frames of kMovieFrameBytes each and returns how many of them the file now
  // holds: all, or fewer when a write failed (`error` says why). A frame that was cut short is
  // removed again, so the file always holds whole frames.
  virtual int appendFrames(const std::uint8_t* frames, int count, std::string& error) = 0;
  // Bytes still free on the file's disk for this user; -1 when that cannot be told.
  virtual long long freeBytes() const = 0;
  // Flushes to disk and closes; false with `error` when what was written may not have been kept.
  virtual bool close(std::string& error) = 0;
};

class MovieFiles {
 public:
  virtual ~MovieFiles() = default;

  // Opens `path` for writing, created empty or truncated to zero length; null with `error`.
  virtual std::unique_ptr<MovieFile> create(const std::string& path, std::string& error) = 0;
};

}  // namespace mosaic
