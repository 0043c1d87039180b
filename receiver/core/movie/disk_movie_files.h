#pragma once
// Movie files on the local file system, written through C stdio without buffering (the
// recorder writes in large blocks of whole frames).

#include "receiver/core/movie/movie_file.h"

namespace mosaic {

class DiskMovieFiles : public MovieFiles {
 public:
  // `path` in the file system's own encoding.
  std::unique_ptr<MovieFile> create(const std::string& path, std::string& error) override;
};

}  // namespace mosaic
