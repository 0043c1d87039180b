// Movie files on disk: made empty, appended in whole blocks, and cut back to whole frames when
// a write stops part of the way.

#include "receiver/core/movie/disk_movie_files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
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

TEST(DiskMovieFiles, CreatingEmptiesAnExistingFileAndAppendsFollowEachOther) {
  TempDir dir;
  const fs::path p = dir.path / "m.49";
  std::ofstream(p) << "earlier contents";
  DiskMovieFiles files;
  std::string error;
  auto file = files.create(p.string(), error);
  ASSERT_TRUE(file) << error;
  EXPECT_EQ(fs::file_size(p), 0u);
  const std::vector<std::uint8_t> a(100, 1);
  ASSERT_TRUE(file->append(a.data(), a.size(), error)) << error;
  ASSERT_TRUE(file->append(a.data(), a.size(), error)) << error;
  EXPECT_EQ(fs::file_size(p), 200u);  // no buffering: on disk at once
  ASSERT_TRUE(file->close(error)) << error;
}

TEST(DiskMovieFiles, FailuresComeBackWithTheReason) {
  DiskMovieFiles files;
  std::string error;
  EXPECT_FALSE(files.create("/nonexistent-folder/m.49", error));
  EXPECT_FALSE(error.empty());

  auto full = files.create("/dev/full", error);  // every write fails: no space left
  ASSERT_TRUE(full) << error;
  const std::vector<std::uint8_t> block(7056, 9);
  error.clear();
  EXPECT_FALSE(full->append(block.data(), block.size(), error));
  EXPECT_FALSE(error.empty());
}

// Limits the size of files this process may write, for as long as it lives.
struct FileSizeLimit {
  rlimit saved{};
  void (*savedHandler)(int) = nullptr;
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved);
    savedHandler = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then just fails
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
  }
};

TEST(DiskMovieFiles, AWriteThatStopsPartWayIsCutBackSoTheFileKeepsWholeBlocks) {
  TempDir dir;
  const fs::path p = dir.path / "m.49";
  DiskMovieFiles files;
  std::string error;
  auto file = files.create(p.string(), error);
  ASSERT_TRUE(file) << error;
  const std::vector<std::uint8_t> block(352800, 5);
  {
    FileSizeLimit limit(500000);  // the second block would stop after 147200 bytes
    ASSERT_TRUE(file->append(block.data(), block.size(), error)) << error;
    EXPECT_FALSE(file->append(block.data(), block.size(), error));
  }
  EXPECT_EQ(fs::file_size(p), 352800u);
  ASSERT_TRUE(file->close(error)) << error;
  EXPECT_EQ(fs::file_size(p), 352800u);
}

}  // namespace
}  // namespace mosaic
