#include "receiver/app/sound_recording.h"

#include "signal/timing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>

namespace mosaic {

namespace {

static_assert(std::endian::native == std::endian::little, "samples are written as they are held");

constexpr std::size_t kHeaderBytes = 44;
// A WAV file's sizes are 32-bit: the recording ends before the header cannot tell its length.
constexpr std::uint64_t kMostDataBytes = std::numeric_limits<std::uint32_t>::max() - kHeaderBytes;

void put(std::array<unsigned char, kHeaderBytes>& header, std::size_t at, std::uint32_t value,
         int bytes) {
  for (int i = 0; i < bytes; ++i)
    header[at + static_cast<std::size_t>(i)] = (value >> (8 * i)) & 0xff;
}

// The 44-byte header of a 16-bit mono PCM file at the receiver's rate with `dataBytes` of sound.
std::array<unsigned char, kHeaderBytes> waveHeader(std::uint64_t dataBytes) {
  std::array<unsigned char, kHeaderBytes> h{};
  std::memcpy(&h[0], "RIFF", 4);
  put(h, 4, static_cast<std::uint32_t>(36 + dataBytes), 4);
  std::memcpy(&h[8], "WAVEfmt ", 8);
  put(h, 16, 16, 4);  // the format chunk's size
  put(h, 20, 1, 2);   // PCM
  put(h, 22, 1, 2);   // mono
  put(h, 24, kRxSampleRateHz, 4);
  put(h, 28, 2 * kRxSampleRateHz, 4);  // bytes per second
  put(h, 32, 2, 2);                    // bytes per sample
  put(h, 34, 16, 2);                   // bits per sample
  std::memcpy(&h[36], "data", 4);
  put(h, 40, static_cast<std::uint32_t>(dataBytes), 4);
  return h;
}

std::string why(int errorNumber) { return std::strerror(errorNumber); }

}  // namespace

SoundRecording::~SoundRecording() {
  std::string ignored;
  finish(ignored);
}

bool SoundRecording::start(const std::string& path, std::string& error) {
  if (active()) finish(error);
  std::string pattern = path + ".XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    error = "Cannot record sound into " + path + ": " + why(errno);
    return false;
  }
  // The mode a new file gets from the user's umask, rather than the temporary file's 0600.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  [[maybe_unused]] const int moded = ::fchmod(fd, 0666 & ~mask);
  const auto header = waveHeader(0);
  if (::write(fd, header.data(), header.size()) != static_cast<ssize_t>(header.size())) {
    error = "Cannot record sound into " + path + ": " + why(errno ? errno : ENOSPC);
    ::close(fd);
    ::unlink(pattern.c_str());
    return false;
  }
  fd_ = fd;
  path_ = path;
  tempPath_ = pattern;
  dataBytes_ = 0;
  return true;
}

bool SoundRecording::append(const std::int16_t* samples, std::size_t count, std::string& error) {
  if (!active()) return false;
  const auto* bytes = reinterpret_cast<const char*>(samples);
  std::size_t left = count * sizeof(std::int16_t);
  int failure = 0;
  if (dataBytes_ + left > kMostDataBytes) {
    left = static_cast<std::size_t>(kMostDataBytes - dataBytes_) & ~std::size_t{1};
    failure = EFBIG;
  }
  while (left > 0) {
    const ssize_t written = ::write(fd_, bytes, left);
    if (written <= 0) {
      failure = written < 0 ? errno : ENOSPC;
      break;
    }
    bytes += written;
    left -= static_cast<std::size_t>(written);
    dataBytes_ += static_cast<std::uint64_t>(written);
  }
  if (failure == 0) return true;
  // Half a sample at the end is left out; the header tells the whole samples written.
  dataBytes_ &= ~std::uint64_t{1};
  // Only the header's length counts; a part-sample left beyond it is harmless.
  [[maybe_unused]] const int trimmed =
      ::ftruncate(fd_, static_cast<off_t>(kHeaderBytes + dataBytes_));
  const double kept = seconds();
  std::string finishing;
  const bool finished = finish(finishing);
  error = "Recording sound stopped: " + why(failure) + ". ";
  error += finished ? path_ + " keeps the first " + std::to_string(static_cast<int>(kept)) +
                          " s of the sound."
                    : finishing;
  return false;
}

bool SoundRecording::finish(std::string& error) {
  if (!active()) return true;
  const int fd = fd_;
  fd_ = -1;
  const auto header = waveHeader(dataBytes_);
  bool ok = ::pwrite(fd, header.data(), header.size(), 0) == static_cast<ssize_t>(header.size());
  int failure = ok ? 0 : errno;
  if (ok && ::fsync(fd) != 0) {
    ok = false;
    failure = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (ok && ::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    ok = false;
    failure = errno;
  }
  if (!ok)
    error = "The recorded sound could not be completed (" + why(failure) + "); it is in " +
            tempPath_ + ".";
  return ok;
}

double SoundRecording::seconds() const {
  return static_cast<double>(dataBytes_ / 2) / kRxSampleRateHz;
}

}  // namespace mosaic
