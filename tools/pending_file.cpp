#include "tools/pending_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mosaic::tool {

namespace {

// Temporary files to remove when a signal ends the tool. The handler may only call
// async-signal-safe functions, so the paths live in fixed storage and a slot counts as taken only
// once its path is complete.
constexpr int kSlots = 8;
char gPaths[kSlots][PATH_MAX];
std::atomic<bool> gClaimed[kSlots];
std::atomic<bool> gReady[kSlots];
std::atomic<bool> gHandlersInstalled{false};

extern "C" void removeTemporariesAndDie(int signalNumber) {
  for (int i = 0; i < kSlots; ++i)
    if (gReady[i].load()) ::unlink(gPaths[i]);
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

void installHandlers() {
  if (gHandlersInstalled.exchange(true)) return;
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old {};
    ::sigaction(signalNumber, nullptr, &old);
    if (old.sa_handler != SIG_DFL) continue;  // ignored (nohup) or handled by someone else
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndDie;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
  }
}

int takeSlot(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    bool free = false;
    if (!gClaimed[i].compare_exchange_strong(free, true)) continue;
    std::memcpy(gPaths[i], path.c_str(), path.size() + 1);
    gReady[i].store(true);
    return i;
  }
  return -1;
}

void releaseSlot(int slot) {
  if (slot < 0) return;
  gReady[slot].store(false);
  gClaimed[slot].store(false);
}

// Twelve random letters and digits, from the kernel's random source.
std::string randomLetters() {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[12];
  std::size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n > 0)
      got += static_cast<std::size_t>(n);
    else if (errno != EINTR)
      break;
  }
  if (got < sizeof bytes) {
    std::random_device device;  // the same source by another road
    for (std::size_t i = got; i < sizeof bytes; ++i)
      bytes[i] = static_cast<unsigned char>(device());
  }
  std::string letters;
  for (unsigned char b : bytes) letters += kLetters[b % (sizeof kLetters - 1)];
  return letters;
}

// The mode a new file gets from the user's umask.
mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

std::string kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

}  // namespace

bool checkOutputPath(const std::string& path, const std::vector<std::string>& inputs,
                     std::string& error) {
  if (path.empty()) {
    error = "an output path must not be empty";
    return false;
  }
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0) return true;  // a new file (or a folder to complain of)
  struct stat target {};
  if (::stat(path.c_str(), &target) != 0) {
    error = path + " is a link to a file that does not exist; name the file itself";
    return false;
  }
  if (!S_ISREG(target.st_mode)) {
    error = path + " is " + kindOf(target.st_mode) + "; outputs are written to regular files only";
    return false;
  }
  for (const auto& input : inputs) {
    struct stat in {};
    if (::stat(input.c_str(), &in) == 0 && in.st_dev == target.st_dev &&
        in.st_ino == target.st_ino) {
      error = path + " is the input " + input + "; choose another output";
      return false;
    }
  }
  return true;
}

bool checkOutputFolder(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "an output folder must not be empty";
    return false;
  }
  struct stat s {};
  if (::stat(path.c_str(), &s) == 0 && !S_ISDIR(s.st_mode)) {
    error = path + " exists and is not a folder";
    return false;
  }
  return true;
}

PendingFile::PendingFile(std::string targetPath) : targetPath_(std::move(targetPath)) {}

PendingFile::~PendingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!tempPath_.empty() && !committed_) ::unlink(tempPath_.c_str());
  releaseSlot(slot_);
}

std::string PendingFile::failed(const std::string& what, int errorNumber) const {
  return "cannot " + what + " " + targetPath_ + ": " + std::strerror(errorNumber);
}

bool PendingFile::open(std::string& error) {
  if (fd_ >= 0) return true;
  // A link is followed on purpose: the file it leads to is the one the user named.
  finalPath_ = targetPath_;
  mode_t mode = newFileMode();
  struct stat existing {};
  if (::stat(targetPath_.c_str(), &existing) == 0) {
    if (!S_ISREG(existing.st_mode)) {
      error = targetPath_ + " is " + kindOf(existing.st_mode) + "; it is left as it is";
      return false;
    }
    std::error_code ec;
    const auto resolved = std::filesystem::canonical(targetPath_, ec);
    if (!ec) finalPath_ = resolved.string();
    mode = existing.st_mode & 07777;
  }
  const std::filesystem::path final(finalPath_);
  std::string stem = (final.parent_path() / ("." + final.filename().string() + ".")).string();
  if (final.parent_path().empty()) stem = "." + final.filename().string() + ".";
  installHandlers();
  // The name is listed for removal before the file is made, so that a signal at any moment
  // leaves nothing behind (removing a name that is not there yet does no harm). O_EXCL with
  // O_NOFOLLOW never opens a file or follows a link planted at that name, and the random part
  // makes the name unpredictable.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = stem + randomLetters();
    const int slot = takeSlot(name);
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      fd_ = fd;
      tempPath_ = name;
      slot_ = slot;
      ::fchmod(fd_, mode);
      return true;
    }
    const int why = errno;
    releaseSlot(slot);
    if (why != EEXIST) {
      error = failed("create", why);
      return false;
    }
  }
  error = failed("create", EEXIST);
  return false;
}

bool PendingFile::write(const void* data, std::size_t size, std::string& error) {
  if (fd_ < 0 && !open(error)) return false;
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = failed("write", n < 0 ? errno : ENOSPC);
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool PendingFile::commit(std::string& error) {
  if (fd_ < 0 && !open(error)) return false;
  if (::fsync(fd_) != 0) {
    error = failed("write", errno);
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    error = failed("write", errno);
    return false;
  }
  // Something other than a regular file put at the target meanwhile is not replaced either.
  struct stat now {};
  if (::lstat(finalPath_.c_str(), &now) == 0 && !S_ISREG(now.st_mode)) {
    error = targetPath_ + " is " + kindOf(now.st_mode) + "; it is left as it is";
    return false;
  }
  if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
    error = failed("write", errno);
    return false;
  }
  committed_ = true;
  releaseSlot(slot_);
  slot_ = -1;
  // The rename itself reaches the disk with the folder.
  const auto folder = std::filesystem::path(finalPath_).parent_path();
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace mosaic::tool
