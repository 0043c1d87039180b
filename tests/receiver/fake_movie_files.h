#pragma once
// Movie files in memory, with files that cannot be made and writes that fail on request.

#include "receiver/core/demodulation/symbol_planes.h"
#include "receiver/core/movie/movie_file.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace mosaic::testing {

class FakeMovieFiles : public MovieFiles {
 public:
  struct Stored {
    std::vector<std::uint8_t> bytes;
    bool open = true;
    int appends = 0;
  };

  std::unique_ptr<MovieFile> create(const std::string& path, std::string& error) override {
    if (uncreatable.count(path)) {
      error = "Permission denied";
      return nullptr;
    }
    auto& stored = files[path];
    stored = std::make_shared<Stored>();  // created empty, or truncated
    return std::make_unique<File>(stored, *this);
  }

  // The bytes of `path` ({} when it was never made).
  std::vector<std::uint8_t> bytes(const std::string& path) const {
    const auto found = files.find(path);
    return found == files.end() ? std::vector<std::uint8_t>{} : found->second->bytes;
  }

  std::map<std::string, std::shared_ptr<Stored>> files;
  std::set<std::string> uncreatable;
  // Appends stop at this length (in whole frames, as on a full disk).
  std::size_t capacity = SIZE_MAX;
  // Whether files tell the free space left (capacity less their length); unknown otherwise.
  bool tellsFreeSpace = false;
  bool failClose = false;

 private:
  class File : public MovieFile {
   public:
    File(std::shared_ptr<Stored> stored, FakeMovieFiles& owner)
        : stored_(std::move(stored)), owner_(owner) {}
    ~File() override { stored_->open = false; }
    int appendFrames(const std::uint8_t* data, int count, std::string& error) override {
      ++stored_->appends;
      const std::size_t room = stored_->open ? owner_.capacity - stored_->bytes.size() : 0;
      const int fits = static_cast<int>(
          std::min<std::size_t>(static_cast<std::size_t>(count), room / kMovieFrameBytes));
      stored_->bytes.insert(stored_->bytes.end(), data,
                            data + static_cast<std::size_t>(fits) * kMovieFrameBytes);
      if (fits < count) error = "No space left on device";
      return fits;
    }
    long long freeBytes() const override {
      if (!owner_.tellsFreeSpace) return -1;
      return static_cast<long long>(owner_.capacity - stored_->bytes.size());
    }
    bool close(std::string& error) override {
      stored_->open = false;
      if (owner_.failClose) error = "Input/output error";
      return !owner_.failClose;
    }

   private:
    std::shared_ptr<Stored> stored_;
    FakeMovieFiles& owner_;
  };
};

}  // namespace mosaic::testing
