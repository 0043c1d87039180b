#include "receiver/core/movie/disk_movie_files.h"

#include "receiver/core/demodulation/symbol_planes.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace mosaic {

namespace {

class DiskMovieFile : public MovieFile {
 public:
  DiskMovieFile(int fd, bool ownsDescriptor) : fd_(fd), owns_(ownsDescriptor) {
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    length_ = end > 0 ? end : 0;
  }

  ~DiskMovieFile() override {
    if (owns_ && fd_ >= 0) ::close(fd_);
  }

  int appendFrames(const std::uint8_t* frames, int count, std::string& error) override {
    if (fd_ < 0) {
      error = "the file is closed";
      return 0;
    }
    const std::size_t size = static_cast<std::size_t>(count) * kMovieFrameBytes;
    std::size_t written = 0;
    while (written < size) {
      const ssize_t n = ::write(fd_, frames + written, size - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = std::strerror(n < 0 ? errno : ENOSPC);
        break;
      }
      written += static_cast<std::size_t>(n);
    }
    // Whole frames stay; a frame cut short is cut off again.
    const int kept = static_cast<int>(written / kMovieFrameBytes);
    const off_t keptLength = length_ + static_cast<off_t>(kept) * kMovieFrameBytes;
    if (written % kMovieFrameBytes != 0) {
      if (::ftruncate(fd_, keptLength) != 0) error += std::string("; ") + std::strerror(errno);
      ::lseek(fd_, keptLength, SEEK_SET);
    }
    length_ = keptLength;
    return kept;
  }

  long long freeBytes() const override {
    struct statvfs disk {};
    if (fd_ < 0 || ::fstatvfs(fd_, &disk) != 0) return -1;
    return static_cast<long long>(disk.f_bavail) * static_cast<long long>(disk.f_frsize);
  }

  bool close(std::string& error) override {
    if (fd_ < 0) return true;
    bool ok = ::fsync(fd_) == 0 || errno == EINVAL;  // EINVAL: nothing to flush to
    if (!ok) error = std::strerror(errno);
    if (owns_ && ::close(fd_) != 0 && ok) {
      ok = false;
      error = std::strerror(errno);
    }
    fd_ = -1;
    return ok;
  }

 private:
  int fd_;
  bool owns_;
  off_t length_ = 0;  // [bytes] whole frames in the file
};

}  // namespace

std::unique_ptr<MovieFile> DiskMovieFiles::create(const std::string& path, std::string& error) {
  // Not truncated on opening: what the path names is looked at first, and opening does not wait
  // for a reader of a FIFO.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  struct stat s {};
  if (::fstat(fd, &s) != 0 || !S_ISREG(s.st_mode)) {
    ::close(fd);
    error = "Not a regular file; only regular files are used as movie files";
    return nullptr;
  }
  if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, 0) != 0) {
    error = std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<DiskMovieFile>(fd, true);
}

std::unique_ptr<MovieFile> movieFileOnDescriptor(int fd) {
  return std::make_unique<DiskMovieFile>(fd, false);
}

}  // namespace mosaic
