#pragma once
// The movie file as the recorder sees it: made empty, appended to, closed. Kept behind this
// small interface so that the recorder can be tried against files that fail.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace mosaic {

class MovieFile {
 public:
  virtual ~MovieFile() = default;

  // Appends `size` bytes. On failure the file is left as it was before the call (no partial
  // frame stays behind) and `error` says why.
  virtual bool append(const std::uint8_t* data, std::size_t size, std::string& error) = 0;
  // Closes the file; false with `error` when what was written may not have been kept.
  virtual bool close(std::string& error) = 0;
};

class MovieFiles {
 public:
  virtual ~MovieFiles() = default;

  // Opens `path` for writing, created empty or truncated to zero length; null with `error`.
  virtual std::unique_ptr<MovieFile> create(const std::string& path, std::string& error) = 0;
};

}  // namespace mosaic
