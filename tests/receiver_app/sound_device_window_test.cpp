// The receiver window with a chosen recording device, on a fake input and a device list that
// the test changes.

#include "platform/status_banner.h"
#include "tests/receiver_app/receiver_rig.h"
#include "tests/support/private_settings.h"

#include <gtest/gtest.h>

namespace mosaic::test {
namespace {

const SoundDeviceName kRadio{"alsa_input.usb-radio", "USB Audio CODEC"};

std::vector<std::int16_t> tone() {
  std::vector<std::int16_t> b(kCaptureSamples);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::int16_t>(i % 2 ? 900 : -900);
  return b;
}

TEST(ReceiverSoundDevice, RememberedDeviceAbsentAtStartGivesTheDefaultAndIsTakenWhenItReturns) {
  PrivateSettings place("mosaicview");
  place.writeFile("[sound]\ndevice=alsa_input.usb-radio\ndeviceDescription=USB Audio CODEC\n");
  {
    ReceiverRig rig(nullptr, true);
    EXPECT_EQ(rig.input.device, "");
    EXPECT_TRUE(rig.input.started);
    EXPECT_EQ(rig.window.statusBanner()->text(),
              "The chosen sound input \"USB Audio CODEC\" is not there; the system default is used "
              "until it returns.");
    ASSERT_TRUE(rig.receive(tone()));
    EXPECT_FALSE(rig.window.pictureView()->noInput()) << "the default's picture is live";

    rig.soundDevices = {kRadio};
    rig.window.soundKeeper().retry();  // the device list changed
    EXPECT_EQ(rig.input.device, kRadio.id);
    EXPECT_TRUE(rig.input.started);
    EXPECT_FALSE(rig.window.statusBanner()->isVisibleTo(&rig.window));
    EXPECT_EQ(rig.window.chain().runs(), 0) << "a fresh capture history on the chosen device";
    rig.window.close();
  }
  EXPECT_TRUE(place.fileText().contains("device=alsa_input.usb-radio"));
}

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
  // Lost in use: the default takes over once the list no longer has it.
  rig.soundDevices.clear();
  rig.input.loseDevice("the recording stream stopped");
  EXPECT_TRUE(rig.window.pictureView()->noInput());
  rig.window.soundKeeper().retry();
  EXPECT_EQ(rig.input.device, "");
  EXPECT_FALSE(rig.window.pictureView()->noInput());
  EXPECT_NE(rig.window.statusBanner()->text().indexOf("is not there"), -1);
}

}  // namespace
}  // namespace mosaic::test
