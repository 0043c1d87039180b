#pragma once
// SerialLines in memory: devices that exist are listed by path, every call is recorded in order,
// and the two lines keep their levels like a real port's.

#include <set>
#include <string>
#include <vector>

#include "pttswitch/serial_lines.h"

namespace mosaic::fakes {

class FakeSerialLines final : public SerialLines {
 public:
  std::set<std::string> devices{"/dev/ttyS0"};  // paths that open successfully
  bool refuseLines = false;                     // the device rejects every line change
  std::vector<std::string> calls;               // "open /dev/ttyS0", "DTR on", "RTS off", "close"
  bool dtr = false;
  bool rts = false;

  bool open(const std::string& devicePath, std::string& whyNot) override {
    calls.push_back("open " + devicePath);
    if (open_ || devices.count(devicePath) == 0) {
      whyNot = "There is no device " + devicePath + ".";
      return false;
    }
    open_ = true;
    openPath_ = devicePath;
    // As on Linux: opening a serial device raises both lines.
    dtr = rts = true;
    return true;
  }

  bool isOpen() const override { return open_; }

  bool setLine(ModemLine line, bool asserted) override {
    calls.push_back(std::string(line == ModemLine::Dtr ? "DTR" : "RTS") +
                    (asserted ? " on" : " off"));
    if (!open_ || refuseLines) return false;
    (line == ModemLine::Dtr ? dtr : rts) = asserted;
    return true;
  }

  PttReading readLines() const override {
    // A device taken out of `devices` while open has gone away, like a pulled USB adapter.
    if (!open_ || devices.count(openPath_) == 0) return PttReading::Unreachable;
    if (dtr && rts) return PttReading::Keyed;
    return dtr || rts ? PttReading::Unknown : PttReading::Unkeyed;
  }

  void close() override {
    calls.push_back("close");
    open_ = false;
  }

 private:
  bool open_ = false;
  std::string openPath_;
};

}  // namespace mosaic::fakes
