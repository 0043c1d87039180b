#include "station/web/picture_folder.h"

#include <QFile>
#include <QImageReader>
#include <QStringList>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace mosaic::web {

namespace {

constexpr std::size_t kMostCachedDetails = 2048;
constexpr std::int64_t kClockStepNs = 1'000'000'000;

std::int64_t nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::int64_t nowNs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return nanoseconds(now);
}

// A picture's time and its number within that second: "mosaic-...-121530Z-3.png" is
// ("mosaic-...-121530Z", 3); an unnumbered name is the first of its second.
std::pair<std::string_view, long> pictureOrder(std::string_view name) {
  name.remove_suffix(4);  // ".png"
  const auto dash = name.rfind('-');
  if (dash != std::string_view::npos && dash > 0 && name[dash - 1] == 'Z' &&
      dash + 1 < name.size() && name.size() - dash <= 9 &&
      std::all_of(name.begin() + static_cast<long>(dash) + 1, name.end(),
                  [](unsigned char c) { return std::isdigit(c); }))
    return {name.substr(0, dash), std::stol(std::string(name.substr(dash + 1)))};
  return {name, 1};
}

int openFolder(const std::string& path) {
  return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Whether the entry is a regular file itself, not a link to one.
bool isRegularFile(int folder, const dirent& entry) {
  if (entry.d_type != DT_UNKNOWN) return entry.d_type == DT_REG;
  struct stat st {};
  return ::fstatat(folder, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

PictureFolder::Details readDetails(int fd) {
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return {};
  }
  QImageReader reader(&file, "png");
  QStringList keys = reader.textKeys();
  static const std::array<QString, 4> first = {QStringLiteral("Received"), QStringLiteral("Tuning"),
                                               QStringLiteral("Clock"), QStringLiteral("SNR")};
  PictureFolder::Details details;
  for (const QString& key : first)
    if (keys.removeAll(key) > 0) details.emplace_back(key, reader.text(key));
  keys.sort();
  for (const QString& key : keys) details.emplace_back(key, reader.text(key));
  return details;
}

}  // namespace

PictureFolder::PictureFolder(std::string path) : path_(std::move(path)) {}

bool PictureFolder::isPictureName(std::string_view name) {
  constexpr std::string_view extension = ".png";
  return name.size() > extension.size() && name.size() <= 255 && name.front() != '.' &&
         name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos &&
         name.substr(name.size() - extension.size()) == extension;
}

const std::vector<std::string>& PictureFolder::names() {
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    names_.clear();
    listedModifiedNs_ = -1;
    return names_;
  }
  const std::int64_t modified = nanoseconds(st.st_mtim);
  if (modified == listedModifiedNs_ && !listingMayBeStale_) return names_;
  const std::int64_t listedAt = nowNs();
  names_.clear();
  if (const int folder = openFolder(path_); folder >= 0) {
    if (DIR* dir = ::fdopendir(folder)) {
      while (const dirent* entry = ::readdir(dir))
        if (isPictureName(entry->d_name) && isRegularFile(folder, *entry))
          names_.emplace_back(entry->d_name);
      ::closedir(dir);
    } else {
      ::close(folder);
    }
  }
  std::sort(names_.begin(), names_.end(), [](const std::string& a, const std::string& b) {
    return pictureOrder(a) > pictureOrder(b);
  });
  listedModifiedNs_ = modified;
  listingMayBeStale_ = listedAt - modified < kClockStepNs;
  return names_;
}

int PictureFolder::open(const std::string& name, std::uint64_t& size) const {
  if (!isPictureName(name)) return -1;
  const int folder = openFolder(path_);
  if (folder < 0) return -1;
  // Non-blocking, so that a named pipe given a picture's name cannot hold the server up.
  const int fd =
      ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  ::close(folder);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  size = static_cast<std::uint64_t>(st.st_size);
  return fd;
}

bool PictureFolder::contains(const std::string& name) const {
  std::uint64_t size = 0;
  const int fd = open(name, size);
  if (fd >= 0) ::close(fd);
  return fd >= 0;
}

PictureFolder::Details PictureFolder::details(const std::string& name) {
  std::uint64_t size = 0;
  const int fd = open(name, size);
  if (fd < 0) return {};
  struct stat st {};
  ::fstat(fd, &st);
  const std::int64_t modified = nanoseconds(st.st_mtim);
  if (const auto cached = details_.find(name); cached != details_.end() &&
                                               cached->second.size == size &&
                                               cached->second.modifiedNs == modified) {
    ::close(fd);
    return cached->second.details;
  }
  if (details_.size() >= kMostCachedDetails) details_.clear();
  CachedDetails& entry = details_[name];
  entry = {size, modified, readDetails(fd)};
  return entry.details;
}

}  // namespace mosaic::web
