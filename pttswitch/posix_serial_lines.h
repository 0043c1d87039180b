#pragma once
// SerialLines over a POSIX terminal device: open(2), an exclusive lock and the modem-control
// ioctls. The terminal settings (termios) are never read or changed.

#include <optional>

#include "pttswitch/serial_lines.h"

namespace mosaic {

class PosixSerialLines final : public SerialLines {
 public:
  PosixSerialLines() = default;
  ~PosixSerialLines() override;
  PosixSerialLines(const PosixSerialLines&) = delete;
  PosixSerialLines& operator=(const PosixSerialLines&) = delete;

  // Opens a terminal device exclusively (TIOCEXCL and flock); a second open elsewhere fails.
  bool open(const std::string& devicePath, std::string& whyNot) override;
  // True while a device is open.
  bool isOpen() const override;
  // Sets or clears one bit of the modem-control state (TIOCMBIS / TIOCMBIC).
  bool setLine(ModemLine line, bool asserted) override;
  // TIOCMGET; a device that answers EIO, ENXIO or ENODEV has gone away.
  PttReading readLines() const override;
  // Gives up exclusivity and closes the device.
  void close() override;

  // The current TIOCM_* bits of the open device, or nothing when they cannot be read.
  std::optional<int> modemControlBits() const;

 private:
  int fd_ = -1;
};

}  // namespace mosaic
