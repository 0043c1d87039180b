#pragma once
// Movie files in memory, with files that cannot be made and writes that fail on request.

#include "receiver/core/movie/movie_file.h"

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
  // An append that would make a file longer than this fails (and leaves the file as it was).
  std::size_t capacity = SIZE_MAX;
  bool failClose = false;

 private:
  class File : public MovieFile {
   public:
    File(std::shared_ptr<Stored> stored, FakeMovieFiles& owner)
        : stored_(std::move(stored)), owner_(owner) {}
    ~File() override { stored_->open = false; }
    bool append(const std::uint8_t* data, std::size_t size, std::string& error) override {
      ++stored_->appends;
      if (!stored_->open || stored_->bytes.size() + size > owner_.capacity) {
        error = "No space left on device";
        return false;
      }
      stored_->bytes.insert(stored_->bytes.end(), data, data + size);
      return true;
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
