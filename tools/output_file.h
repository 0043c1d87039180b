#pragma once
// Writing an output file without ever leaving a half-written one behind: the data goes to a
// temporary file beside the target, which replaces the target only when everything succeeded.

#include <string>

namespace mosaic::tool {

class PendingFile {
 public:
  explicit PendingFile(std::string targetPath);
  ~PendingFile();  // removes the temporary file unless committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Where to write the data.
  const std::string& tempPath() const { return tempPath_; }
  const std::string& targetPath() const { return targetPath_; }
  // Moves the finished temporary file onto the target; false (with `error` set) on failure.
  bool commit(std::string& error);

 private:
  std::string targetPath_;
  std::string tempPath_;
  bool committed_ = false;
};

}  // namespace mosaic::tool
