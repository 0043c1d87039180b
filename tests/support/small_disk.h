#pragma once
// A real, nearly full file system for tests of what happens when the disk fills up: a small
// tmpfs mounted on a fresh folder (which needs root, as in CI). Tests skip when it cannot be made.

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace mosaic::testing {

class SmallDisk {
 public:
  explicit SmallDisk(const std::string& size = "200k") {
    std::string pattern = (std::filesystem::temp_directory_path() / "small-disk-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    path_ = pattern;
    const std::string options = "size=" + size + ",mode=0777";
    mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    if (!path_.empty()) ::rmdir(path_.c_str());
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  // Fills the disk with a file until only about `leave` bytes are free (none at all for 0).
  void fillLeaving(std::size_t leave) const {
    const int fd = ::open(file(".filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0) return;
    const std::string block(leave == 0 ? 1 : 4096, 'x');
    while (leave == 0 || std::filesystem::space(path_).available > leave + block.size())
      if (::write(fd, block.data(), block.size()) <= 0) break;
    ::close(fd);
  }

 private:
  std::string path_;
  bool mounted_ = false;
};

}  // namespace mosaic::testing
