#pragma once
// Movie files on the local file system, written without buffering of our own: every frame that
// appendFrames reports is on its way to the disk, and a write that fails part of the way keeps
// the whole frames before it.

#include "receiver/core/movie/movie_file.h"

namespace mosaic {

class DiskMovieFiles : public MovieFiles {
 public:
  // `path` in the file system's own encoding. Only a regular file (new or existing, also through
  // a link) is made empty; a folder, device, FIFO or socket is refused and left as it is.
  std::unique_ptr<MovieFile> create(const std::string& path, std::string& error) override;
};

// A movie file written through the open descriptor `fd`, from its current end, for a writer that
// owns the file itself (the mosaic tool's whole-file output). `close` flushes it to disk but
// leaves the descriptor open.
std::unique_ptr<MovieFile> movieFileOnDescriptor(int fd);

}  // namespace mosaic
