#include "tools/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include <unistd.h>

namespace mosaic::tool {

PendingFile::PendingFile(std::string targetPath) : targetPath_(std::move(targetPath)) {
  const std::filesystem::path target(targetPath_);
  const std::string name = "." + target.filename().string() + ".part-" + std::to_string(::getpid());
  tempPath_ = (target.parent_path() / name).string();
}

PendingFile::~PendingFile() {
  if (!committed_) std::remove(tempPath_.c_str());
}

bool PendingFile::commit(std::string& error) {
  if (std::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
    error = "cannot write " + targetPath_ + ": " + std::strerror(errno);
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace mosaic::tool
