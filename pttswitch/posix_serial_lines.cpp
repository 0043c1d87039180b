#include "pttswitch/posix_serial_lines.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mosaic {

namespace {

// The operator's words for why a device could not be opened.
std::string openFailure(const std::string& devicePath, int error) {
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return "There is no device " + devicePath + ".";
    case EACCES:
    case EPERM:
      return "Permission denied on " + devicePath +
             ". Serial ports belong to the group \"dialout\": add yourself to it "
             "(sudo adduser $USER dialout) and log in again.";
    case EBUSY:
    case EWOULDBLOCK:
      return devicePath + " is already in use by another program.";
    case ENOTTY:
      return devicePath + " is not a serial port.";
    default:
      return devicePath + ": " + std::strerror(error) + ".";
  }
}

}  // namespace

PosixSerialLines::~PosixSerialLines() { close(); }

bool PosixSerialLines::open(const std::string& devicePath, std::string& whyNot) {
  close();
  if (devicePath.empty() || devicePath.find('\0') != std::string::npos) {
    whyNot = "That names no device.";
    return false;
  }

  // O_NONBLOCK: without it, opening a port whose carrier-detect line is low waits for carrier.
  // O_NOCTTY: the port must never become the program's controlling terminal.
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    whyNot = openFailure(devicePath, errno);
    return false;
  }

  // The lock keeps out other programs that lock their ports, TIOCEXCL every other non-root open.
  // The lock is taken first so that a busy port is never left marked exclusive by us.
  if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
    whyNot = openFailure(devicePath, errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool PosixSerialLines::isOpen() const { return fd_ >= 0; }

bool PosixSerialLines::setLine(ModemLine line, bool asserted) {
  if (fd_ < 0) return false;
  // The kernel changes only the given bit, so each call is a read-modify-write of one line.
  int bit = line == ModemLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
  return ::ioctl(fd_, asserted ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

PttReading PosixSerialLines::readLines() const {
  if (fd_ < 0) return PttReading::Unreachable;
  int bits = 0;
  if (::ioctl(fd_, TIOCMGET, &bits) != 0) {
    const bool gone = errno == EIO || errno == ENXIO || errno == ENODEV;
    return gone ? PttReading::Unreachable : PttReading::Unknown;
  }
  const int both = bits & (TIOCM_DTR | TIOCM_RTS);
  if (both == (TIOCM_DTR | TIOCM_RTS)) return PttReading::Keyed;
  return both == 0 ? PttReading::Unkeyed : PttReading::Unknown;
}

void PosixSerialLines::close() {
  if (fd_ < 0) return;
  // Exclusivity belongs to the terminal, not to our descriptor: a root program that opened the
  // port beside us would otherwise keep everyone else out after we are gone.
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  fd_ = -1;
}

std::optional<int> PosixSerialLines::modemControlBits() const {
  int bits = 0;
  if (fd_ < 0 || ::ioctl(fd_, TIOCMGET, &bits) != 0) return std::nullopt;
  return bits;
}

}  // namespace mosaic
