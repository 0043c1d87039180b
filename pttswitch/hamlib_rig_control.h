#pragma once
// RigControl through Hamlib: a rig model opened on a device, or rigctld reached over the network
// (rig model 2). Hamlib's own messages are silenced; its reasons come back in words.

#include "pttswitch/rig_control.h"

struct s_rig;

namespace mosaic {

class HamlibRigControl final : public RigControl {
 public:
  // Quietens Hamlib's diagnostics on standard error and makes a connection that breaks while it
  // is written to report an error instead of ending the program (SIGPIPE is ignored).
  HamlibRigControl();
  ~HamlibRigControl() override;
  HamlibRigControl(const HamlibRigControl&) = delete;
  HamlibRigControl& operator=(const HamlibRigControl&) = delete;

  bool open(const RigAddress& address, std::string& whyNot) override;
  bool isOpen() const override;
  bool setPtt(bool keyed, std::string& refusal) override;
  PttReading readPtt() override;
  void close() override;

 private:
  s_rig* rig_ = nullptr;
  bool throughRigctld_ = false;
};

}  // namespace mosaic
