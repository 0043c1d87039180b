#pragma once
// One radio opened through Hamlib: a rig model on a device, or rigctld reached over the network
// (rig model 2). It keys the transmitter, asks whether it transmits and reads the dial. Hamlib's
// own messages are silenced; its reasons come back in words. Every question waits at most about
// a second for the answer. One thread at a time uses an object.

#include "rig/rig_address.h"

#include <string>

struct s_rig;

namespace mosaic {

// How the radio answered a command or a question.
enum class RigAnswer {
  Done,         // done, or answered
  Refused,      // reached, but it would not (the reason comes back in words)
  Unreachable,  // the connection to the radio is gone, or none is open
};

// Where the radio is tuned: the dial (carrier) frequency and Hamlib's name of the mode
// ("USB", "LSB", "PKTUSB", ...).
struct DialReading {
  double frequencyHz = 0.0;
  std::string mode;
  bool operator==(const DialReading&) const = default;
};

class HamlibRig {
 public:
  // Quietens Hamlib's diagnostics on standard error and makes a connection that breaks while it
  // is written to report an error instead of ending the program (SIGPIPE is ignored).
  HamlibRig();
  ~HamlibRig();
  HamlibRig(const HamlibRig&) = delete;
  HamlibRig& operator=(const HamlibRig&) = delete;

  // Opens the rig at address (closing any other first); false when that fails, with the reason
  // in whyNot.
  bool open(const RigAddress& address, std::string& whyNot);
  bool isOpen() const { return rig_ != nullptr; }
  bool throughRigctld() const { return throughRigctld_; }
  // Releases the rig without changing its state. Does nothing when none is open.
  void close();

  RigAnswer setPtt(bool keyed, std::string& why);
  RigAnswer readPtt(bool& keyed);
  RigAnswer readDial(DialReading& dial, std::string& why);

 private:
  s_rig* rig_ = nullptr;
  bool throughRigctld_ = false;
};

}  // namespace mosaic
