#pragma once
// RigControl in memory: a rig that can be made unreachable and reachable again, that keeps its
// transmit state while unreachable, and that records every call.

#include <string>
#include <vector>

#include "pttswitch/rig_control.h"

namespace mosaic::fakes {

class FakeRigControl final : public RigControl {
 public:
  bool reachable = true;           // the connection works
  bool canReadBack = true;         // the rig answers the question whether it transmits
  bool keyed = false;              // the rig's transmitter
  bool refuse = false;             // the rig is reached but does not accept keying
  std::vector<std::string> calls;  // "open 2 localhost:4532", "PTT on", "read", "close"

  bool open(const RigAddress& address, std::string& whyNot) override {
    calls.push_back("open " + std::to_string(address.model) + " " + address.pathname);
    if (!reachable) {
      whyNot = "not reachable";
      return false;
    }
    open_ = true;
    return true;
  }
  bool isOpen() const override { return open_; }
  bool setPtt(bool on, std::string& refusal) override {
    calls.push_back(on ? "PTT on" : "PTT off");
    if (!open_ || !reachable) return false;
    if (refuse) {
      refusal = "refused";
      return true;
    }
    keyed = on;
    return true;
  }
  PttReading readPtt() override {
    calls.push_back("read");
    if (!open_ || !reachable) return PttReading::Unreachable;
    if (!canReadBack) return PttReading::Unknown;
    return keyed ? PttReading::Keyed : PttReading::Unkeyed;
  }
  void close() override {
    calls.push_back("close");
    open_ = false;
  }

 private:
  bool open_ = false;
};

}  // namespace mosaic::fakes
