// The transmitter window with a chosen playback device, on a fake output and a device list that
// the test changes.

#include "platform/status_banner.h"
#include "tests/support/private_settings.h"
#include "transmitter/app/command_ids.h"
#include "window_fixture.h"

#include <algorithm>

namespace mosaic::test {
namespace {

const SoundDeviceName kRadio{"alsa_output.usb-radio", "USB Audio CODEC"};

TransmitterSettings withDevice(const SoundDeviceName& device) {
  TransmitterSettings settings;
  settings.soundDevice = device;
  return settings;
}

class SoundDeviceWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    services.listSoundDevices = [this] { return listed; };
    services.chooseSoundDevice = [this](QWidget*, const SoundDeviceSettings& current) {
      offered = current;
      return answer;
    };
    services.loadSettings = loadUserTransmitterSettings;
    services.saveSettings = saveUserTransmitterSettings;
    WindowTest::SetUp();
  }
  bool twoSilentBuffersLast() const {
    if (audio.played.size() < 2) return false;
    return std::all_of(audio.played.end() - 2, audio.played.end(), [](const auto& b) {
      return std::all_of(b.begin(), b.end(), [](std::int16_t s) { return s == 0; });
    });
  }

  PrivateSettings place{"mosaiccast"};
  std::vector<SoundDeviceName> listed;
  std::optional<SoundDeviceSettings> answer;
  SoundDeviceSettings offered;
};

TEST_F(SoundDeviceWindowTest, DialogChoiceIsUsedAtOnceFromANewSilenceAndRemembered) {
  window->initialiseWindow();
  audio.finishOldest();
  listed = {kRadio};
  command(*window, kSoundDeviceId);  // cancelled
  EXPECT_EQ(audio.openCount, 1);
  answer = SoundDeviceSettings{kRadio};
  command(*window, kSoundDeviceId);
  EXPECT_EQ(audio.device, kRadio.id);
  EXPECT_EQ(audio.openCount, 2);
  EXPECT_TRUE(twoSilentBuffersLast());
  EXPECT_FALSE(window->statusBanner()->isVisibleTo(window.get()));
  command(*window, kSoundDeviceId);
  EXPECT_EQ(offered.device, kRadio) << "the dialog opens on the choice";
  EXPECT_EQ(audio.openCount, 2) << "the same device again: transmission runs on";
  command(*window, kExitId);
  EXPECT_EQ(loadUserTransmitterSettings().soundDevice, kRadio);
}

TEST_F(SoundDeviceWindowTest, RememberedDeviceAbsentAtStartIsNamedAlongTheBottomAndKept) {
  saveUserTransmitterSettings(withDevice(kRadio));
  window->initialiseWindow();
  EXPECT_EQ(audio.device, "");
  EXPECT_EQ(window->statusBanner()->text(),
            "The chosen sound output \"USB Audio CODEC\" is not there; the system default is used "
            "until it returns.");
  // Said before the window is shown, it still sits along the bottom once it is.
  window->show();
  runUntil([] { return false; }, 50);
  EXPECT_EQ(window->statusBanner()->geometry().bottom(), window->clientArea()->height() - 1);
  command(*window, kExitId);
  EXPECT_EQ(loadUserTransmitterSettings().soundDevice, kRadio);
}

TEST(SoundDeviceSettingsStore, ChoiceIsReadBackAndDamagedValuesAreDropped) {
  PrivateSettings place("mosaiccast");
  place.writeFile("[sound]\ndevice=alsa_output.usb-radio\n");
  EXPECT_EQ(loadUserTransmitterSettings().soundDevice,
            (SoundDeviceName{"alsa_output.usb-radio", ""}))
      << "a missing description leaves the id";
  for (const char* bad : {"[sound]\ndevice=\n", "[sound]\ndevice=a, b\n", "[sound]\ndevice=  \n",
                          "[sound]\ndevice=\"a\\nb\"\n"}) {
    place.writeFile(bad);
    EXPECT_FALSE(loadUserTransmitterSettings().soundDevice) << bad;
  }
  place.writeFile("[sound]\ndevice=" + QByteArray(1025, 'x') + "\n");
  EXPECT_FALSE(loadUserTransmitterSettings().soundDevice) << "too long";
  saveUserTransmitterSettings(withDevice(kRadio));
  EXPECT_EQ(loadUserTransmitterSettings().soundDevice, kRadio);
  saveUserTransmitterSettings({});
  EXPECT_FALSE(place.fileText().contains("device"));
}

}  // namespace
}  // namespace mosaic::test
