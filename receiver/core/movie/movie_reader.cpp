#include "receiver/core/movie/movie_reader.h"

#include "receiver/core/demodulation/symbol_planes.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mosaic {

MovieReader::~MovieReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool MovieReader::open(const std::string& path, std::string& error) {
  // Non-blocking, so that a FIFO without a writer is refused instead of waited for.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  return openDescriptor(fd, path, error);
}

bool MovieReader::openDescriptor(int fd, const std::string& name, std::string& error) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  name_ = name;
  frames_ = read_ = 0;
  struct stat s {};
  if (::fstat(fd_, &s) != 0) {
    error = "cannot read " + name_ + ": " + std::strerror(errno);
    return false;
  }
  if (S_ISDIR(s.st_mode)) {
    error = name_ + " is a folder, not a movie file";
    return false;
  }
  if (!S_ISREG(s.st_mode)) {
    error = name_ + " is not a regular file; movie files are read from regular files only";
    return false;
  }
  if (s.st_size == 0 || s.st_size % kMovieFrameBytes != 0) {
    error = name_ + " is not a movie file: its length is not a whole number of 7056-byte frames";
    return false;
  }
  ::fcntl(fd_, F_SETFL, 0);
  frames_ = s.st_size / kMovieFrameBytes;
  return true;
}

bool MovieReader::next(std::uint8_t* frame, std::string& error) {
  if (fd_ < 0 || read_ >= frames_) return false;
  std::size_t got = 0;
  while (got < static_cast<std::size_t>(kMovieFrameBytes)) {
    const ssize_t n = ::read(fd_, frame + got, kMovieFrameBytes - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = "cannot read " + name_ + ": " +
              (n < 0 ? std::strerror(errno) : "the file became shorter while it was read");
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  ++read_;
  return true;
}

}  // namespace mosaic
