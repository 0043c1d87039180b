#pragma once
// Writing an output file whole or not at all. The data goes to a temporary file with an
// unpredictable name, created exclusively beside the target; only when every write, the flush to
// disk and the close succeeded does it take the target's place. Temporary files still open are
// removed when the tool is interrupted (SIGINT, SIGTERM, SIGHUP).
//
// Outputs are regular files. A path naming a folder, a device, a FIFO or a socket is refused,
// never replaced; a symbolic link to a regular file is followed, so that the file it leads to is
// replaced and the link stays.

#include <cstddef>
#include <string>
#include <vector>

namespace mosaic::tool {

// Whether `path` may be an output: not empty, not an existing non-regular file or a link to
// nothing, and not the same file as any of `inputs`. False with `error` set otherwise (a wrong
// argument, refused before any work starts).
bool checkOutputPath(const std::string& path, const std::vector<std::string>& inputs,
                     std::string& error);

// Whether `path` may be an output folder: not empty, and a folder if it exists. False with
// `error` set otherwise (a wrong argument).
bool checkOutputFolder(const std::string& path, std::string& error);

class PendingFile {
 public:
  explicit PendingFile(std::string targetPath);
  ~PendingFile();  // removes the temporary file unless committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the temporary file; false with `error` set when it cannot be made.
  bool open(std::string& error);
  // The temporary file's descriptor (-1 before open and after commit), for writers that write
  // through it themselves; its position is theirs to move.
  int descriptor() const { return fd_; }
  // Appends all of `data`; false with `error` set when any of it could not be written.
  bool write(const void* data, std::size_t size, std::string& error);
  // Flushes the data to disk, closes the file and puts it in the target's place; false (with
  // `error` set, the target untouched) on any failure.
  bool commit(std::string& error);

  const std::string& targetPath() const { return targetPath_; }
  const std::string& tempPath() const { return tempPath_; }

 private:
  std::string failed(const std::string& what, int errorNumber) const;

  std::string targetPath_;  // as the user gave it
  std::string finalPath_;   // the file replaced: the target, or the file its link leads to
  std::string tempPath_;
  int fd_ = -1;
  int slot_ = -1;  // in the list of files removed on interruption
  bool committed_ = false;
};

}  // namespace mosaic::tool
