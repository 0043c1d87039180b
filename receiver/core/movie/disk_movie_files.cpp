#include "receiver/core/movie/disk_movie_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace mosaic {

namespace {

class DiskMovieFile : public MovieFile {
 public:
  DiskMovieFile(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}

  ~DiskMovieFile() override {
    if (file_) std::fclose(file_);
  }

  bool append(const std::uint8_t* data, std::size_t size, std::string& error) override {
    if (!file_) {
      error = "the file is closed";
      return false;
    }
    errno = 0;
    const std::size_t written = std::fwrite(data, 1, size, file_);
    if (written == size && std::fflush(file_) == 0) {
      length_ += size;
      return true;
    }
    error = errno != 0 ? std::strerror(errno) : "write failed";
    std::clearerr(file_);
    // A short write leaves part of a frame behind; cut the file back to whole frames.
    if (written > 0) {
      std::error_code ignored;
      std::filesystem::resize_file(path_, length_, ignored);
      std::fseek(file_, 0, SEEK_END);
    }
    return false;
  }

  bool close(std::string& error) override {
    if (!file_) return true;
    errno = 0;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok) error = errno != 0 ? std::strerror(errno) : "close failed";
    return ok;
  }

 private:
  std::FILE* file_;
  std::string path_;
  std::uintmax_t length_ = 0;  // [bytes] written successfully
};

}  // namespace

std::unique_ptr<MovieFile> DiskMovieFiles::create(const std::string& path, std::string& error) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = errno != 0 ? std::strerror(errno) : "cannot create the file";
    return nullptr;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::make_unique<DiskMovieFile>(file, path);
}

}  // namespace mosaic
