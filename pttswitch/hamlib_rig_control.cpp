#include "pttswitch/hamlib_rig_control.h"

#include <string>

namespace mosaic {

bool HamlibRigControl::open(const RigAddress& address, std::string& whyNot) {
  return rig_.open(address, whyNot);
}

bool HamlibRigControl::isOpen() const { return rig_.isOpen(); }

bool HamlibRigControl::setPtt(bool keyed, std::string& refusal) {
  std::string why;
  const RigAnswer answer = rig_.setPtt(keyed, why);
  if (answer == RigAnswer::Unreachable) return false;
  if (answer == RigAnswer::Refused) {
    refusal = "The radio did not accept the command to " + std::string(keyed ? "key" : "unkey") +
              ": " + why + ".";
    // rigctld keys only when it has been told how (its -P option; "-P RIG" for CAT).
    if (rig_.throughRigctld())
      refusal += " Is rigctld started with the radio's keying method (-P)?";
  }
  return true;
}

PttReading HamlibRigControl::readPtt() {
  bool keyed = false;
  switch (rig_.readPtt(keyed)) {
    case RigAnswer::Done:
      return keyed ? PttReading::Keyed : PttReading::Unkeyed;
    case RigAnswer::Refused:
      return PttReading::Unknown;
    case RigAnswer::Unreachable:
      break;
  }
  return PttReading::Unreachable;
}

void HamlibRigControl::close() { rig_.close(); }

}  // namespace mosaic
