// Movie files on disk: made empty, appended in whole frames, and on a full disk cut back to the
// whole frames that fitted; anything but a regular file is refused and left alone.

#include "receiver/core/movie/disk_movie_files.h"
#include "receiver/core/demodulation/symbol_planes.h"
#include "tests/support/small_disk.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace mosaic {
namespace {

namespace fs = std::filesystem;

struct TempDir {
  fs::path path = fs::temp_directory_path() / ("movie-files-" + std::to_string(::getpid()));
  TempDir() { fs::create_directories(path); }
  ~TempDir() { fs::remove_all(path); }
};

std::vector<std::uint8_t> frames(int count) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * kMovieFrameBytes);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 7);
  return bytes;
}

TEST(DiskMovieFiles, CreatingEmptiesAnExistingFileAndAppendsFollowEachOther) {
  TempDir dir;
  const fs::path p = dir.path / "m.49";
  std::ofstream(p) << "earlier contents";
  DiskMovieFiles files;
  std::string error;
  auto file = files.create(p.string(), error);
  ASSERT_TRUE(file) << error;
  EXPECT_EQ(fs::file_size(p), 0u);
  const auto two = frames(2);
  ASSERT_EQ(file->appendFrames(two.data(), 2, error), 2) << error;
  ASSERT_EQ(file->appendFrames(two.data(), 1, error), 1) << error;
  EXPECT_EQ(fs::file_size(p), 3u * kMovieFrameBytes);  // no buffering: on disk at once
  EXPECT_GT(file->freeBytes(), 0);
  ASSERT_TRUE(file->close(error)) << error;
}

TEST(DiskMovieFiles, OnlyRegularFilesAreMadeEmptyAndOtherThingsAreLeftAlone) {
  TempDir dir;
  DiskMovieFiles files;
  std::string error;
  EXPECT_FALSE(files.create("/nonexistent-folder/m.49", error));
  EXPECT_FALSE(error.empty());
  const fs::path fifo = dir.path / "fifo.49";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/null"), fifo.string(), dir.path.string()}) {
    error.clear();
    EXPECT_FALSE(files.create(path, error)) << path;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_TRUE(fs::is_fifo(fifo));
  // A link to a regular file is followed: the file it leads to is used, the link stays.
  const fs::path target = dir.path / "target.49";
  std::ofstream(target) << "old";
  fs::create_symlink(target, dir.path / "link.49");
  auto file = files.create((dir.path / "link.49").string(), error);
  ASSERT_TRUE(file) << error;
  const auto one = frames(1);
  EXPECT_EQ(file->appendFrames(one.data(), 1, error), 1);
  file->close(error);
  EXPECT_TRUE(fs::is_symlink(dir.path / "link.49"));
  EXPECT_EQ(fs::file_size(target), static_cast<std::uintmax_t>(kMovieFrameBytes));
}

TEST(DiskMovieFiles, OnAFullDiskTheWholeFramesThatFitStayAndAreCounted) {
  testing::SmallDisk disk("400k");
  if (!disk.mounted()) GTEST_SKIP() << "no small file system can be mounted here";
  DiskMovieFiles files;
  std::string error;
  auto file = files.create(disk.file("m.49"), error);
  ASSERT_TRUE(file) << error;
  disk.fillLeaving(100 * 1024);
  const long long free = file->freeBytes();
  ASSERT_GT(free, 0);
  ASSERT_LT(free, 50LL * kMovieFrameBytes);
  const auto block = frames(50);
  const int kept = file->appendFrames(block.data(), 50, error);
  EXPECT_GT(kept, 0);
  EXPECT_LT(kept, 50);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(fs::file_size(disk.file("m.49")), static_cast<std::uintmax_t>(kept) * kMovieFrameBytes);
  // Still whole frames after another failed append, and the kept frames are the ones sent.
  error.clear();
  EXPECT_EQ(file->appendFrames(block.data(), 50, error), 0);
  file->close(error);
  std::ifstream in(disk.file("m.49"), std::ios::binary);
  std::vector<char> back(static_cast<std::size_t>(kept) * kMovieFrameBytes);
  in.read(back.data(), static_cast<std::streamsize>(back.size()));
  EXPECT_TRUE(std::equal(back.begin(), back.end(), block.begin(),
                         [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
}

}  // namespace
}  // namespace mosaic
