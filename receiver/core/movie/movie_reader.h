#pragma once
// Reading a movie file back frame by frame, so that a file of any length needs only a frame's
// memory at a time.

#include <cstdint>
#include <string>

namespace mosaic {

class MovieReader {
 public:
  MovieReader() = default;
  ~MovieReader();
  MovieReader(const MovieReader&) = delete;
  MovieReader& operator=(const MovieReader&) = delete;

  // Opens `path`. It must be a regular file of one or more whole frames; false with a message
  // naming the file and the reason otherwise.
  bool open(const std::string& path, std::string& error);
  // The same for an open descriptor, which the reader then owns; `name` is used in messages.
  bool openDescriptor(int fd, const std::string& name, std::string& error);

  long long frames() const { return frames_; }
  // Reads the next frame (kMovieFrameBytes) into `frame`; false at the end, and on a read error
  // with `error` set.
  bool next(std::uint8_t* frame, std::string& error);

 private:
  int fd_ = -1;
  std::string name_;
  long long frames_ = 0;
  long long read_ = 0;
};

}  // namespace mosaic
