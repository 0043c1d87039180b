#pragma once
// A real, nearly full file system for tests of what happens when the disk fills up: a small
// tmpfs mounted on a fresh folder (which needs root, as in CI). Tests skip when it cannot be made.

#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

  // Fills the disk with a file until only about `leave` bytes are free.
  void fillLeaving(std::size_t leave) const {
    std::ofstream filler(file(".filler"), std::ios::binary);
    const std::string block(4096, 'x');
    while (std::filesystem::space(path_).available > leave + block.size() &&
           filler.write(block.data(), block.size()))
      filler.flush();
  }

 private:
  std::string path_;
  bool mounted_ = false;
};

}  // namespace mosaic::testing
