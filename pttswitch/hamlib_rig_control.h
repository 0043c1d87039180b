#pragma once
// RigControl through Hamlib: a rig model opened on a device, or rigctld reached over the network.

#include "pttswitch/rig_control.h"
#include "rig/hamlib_rig.h"

namespace mosaic {

class HamlibRigControl final : public RigControl {
 public:
  bool open(const RigAddress& address, std::string& whyNot) override;
  bool isOpen() const override;
  bool setPtt(bool keyed, std::string& refusal) override;
  PttReading readPtt() override;
  void close() override;

 private:
  HamlibRig rig_;
};

}  // namespace mosaic
