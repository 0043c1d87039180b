// The receiver window's device choice on a fake input: the dialog's answer reaches the input,
// and a remembered choice outlives an absence but not a run from the defaults.

#include "platform/status_banner.h"
#include "tests/receiver_app/receiver_rig.h"
#include "tests/support/private_settings.h"

#include <gtest/gtest.h>

namespace mosaic::test {
namespace {

const SoundDeviceName kRadio{"alsa_input.usb-radio", "USB Audio CODEC"};

TEST(ReceiverSoundDevice, AbsentChoiceIsNeverForgottenAndDefaultsIgnoreIt) {
  PrivateSettings place("mosaicview");
  place.writeFile("[sound]\ndevice=alsa_input.usb-radio\ndeviceDescription=USB Audio CODEC\n");
  {
    ReceiverRig rig(nullptr, true);
    rig.window.close();
  }
  EXPECT_TRUE(place.fileText().contains("deviceDescription=USB Audio CODEC"));
  ReceiverRig fromDefaults;  // a run with --defaults
  EXPECT_EQ(fromDefaults.input.device, "");
  EXPECT_FALSE(fromDefaults.window.statusBanner()->isVisibleTo(&fromDefaults.window));
}

TEST(ReceiverSoundDevice, DialogChoiceMovesTheRecordingAndCancelLeavesIt) {
  ReceiverRig rig;
  rig.soundDevices = {kRadio};
  rig.menu(rx::kSoundDeviceId);  // cancelled
  EXPECT_EQ(rig.input.device, "");
  rig.soundAnswer = SoundDeviceSettings{kRadio};
  rig.menu(rx::kSoundDeviceId);
  EXPECT_EQ(rig.input.device, kRadio.id);
  EXPECT_TRUE(rig.input.started);
  EXPECT_EQ(rig.window.soundKeeper().chosen(), kRadio);
}

}  // namespace
}  // namespace mosaic::test
