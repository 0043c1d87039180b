// Which device a program opens when the operator has chosen one, on made-up device lists and a
// fake device.

#include "platform/sound_device_choice.h"
#include "platform/sound_keeper.h"
#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace mosaic {
namespace {

const SoundDeviceName kRadio{"alsa_output.usb-radio", "USB Audio CODEC"};
const SoundDeviceName kSpeakers{"alsa_output.pci-speakers", "Built-in Audio"};
const std::vector<SoundDeviceName> kWithRadio{kSpeakers, kRadio};
const std::vector<SoundDeviceName> kWithoutRadio{kSpeakers};

TEST(SoundDeviceChoice, DeviceNamedAnewIsFoundByItsDescriptionIfThatIsUnique) {
  SoundDeviceChoice choice("sound output");
  choice.choose(kRadio);
  const SoundDeviceName renamed{"alsa_output.usb-radio-01", "USB Audio CODEC"};
  EXPECT_EQ(choice.deviceToOpen({kSpeakers, renamed}), renamed.id);
  const SoundDeviceName twin{"alsa_output.usb-radio-02", "USB Audio CODEC"};
  EXPECT_EQ(choice.deviceToOpen({renamed, twin}), "") << "two alike: neither is taken";
  EXPECT_EQ(choice.deviceToOpen({renamed, twin, kRadio}), kRadio.id) << "the id comes first";
}

// The keeper with a fake device: a list that the test changes, and an opening that succeeds on
// the devices that are listed (and on the default) unless refused.
struct FakeSound {
  std::vector<SoundDeviceName> listed = kWithoutRadio;
  std::vector<std::string> refused;
  bool serverUp = true;
  std::string named, open;  // the device named for the next opening, the one open now
  int opens = 0, closes = 0;
  std::vector<std::string> shown;
  SoundKeeper keeper{
      SoundDirection::Playback,
      {[this] {
         const bool present = named.empty() || std::any_of(listed.begin(), listed.end(),
                                                           [&](auto& d) { return d.id == named; });
         const bool refuses = std::find(refused.begin(), refused.end(), named) != refused.end();
         if (!serverUp || !present || refuses) return false;
         ++opens;
         open = named;
         return true;
       },
       [this] {
         ++closes;
         open = "none";
       },
       [this](const std::string& s) { shown.push_back(s); }, nullptr}};

  FakeSound() {
    test::coreApp();
    keeper.setDevices({[this] { return listed; }, [this](const std::string& id) { named = id; }});
  }
  std::string banner() const { return shown.empty() ? "" : shown.back(); }
};

TEST(SoundKeeperChoice, NoChoiceOpensTheDefaultAsAlways) {
  FakeSound sound;
  sound.listed = kWithRadio;
  sound.named = kSpeakers.id;  // as its owner named it (a test's private device)
  sound.keeper.start();
  EXPECT_EQ(sound.open, kSpeakers.id) << "no choice: the device object is left as it was";
  EXPECT_TRUE(sound.shown.empty());
  sound.keeper.retry();  // the device list changed
  EXPECT_EQ(sound.opens, 1) << "a running default stream is left alone";
  sound.keeper.choose(SoundDeviceName{"", "nothing"});  // an empty id is no choice
  EXPECT_FALSE(sound.keeper.chosen());
}

TEST(SoundKeeperChoice, ChosenDeviceAbsentAtStartThenAppearing) {
  FakeSound sound;
  sound.keeper.choose(kRadio);
  sound.keeper.start();
  EXPECT_EQ(sound.open, "") << "the default stands in";
  EXPECT_TRUE(sound.keeper.link().live());
  EXPECT_EQ(sound.banner(),
            "The chosen sound output \"USB Audio CODEC\" is not there; the system default is used "
            "until it returns.");
  sound.keeper.retry();
  EXPECT_EQ(sound.opens, 1) << "nothing moves while it stays away";
  sound.listed = kWithRadio;
  sound.keeper.retry();
  EXPECT_EQ(sound.open, kRadio.id);
  EXPECT_EQ(sound.closes, 1);
  EXPECT_EQ(sound.banner(), "");
  EXPECT_EQ(sound.keeper.chosen(), kRadio);
}

TEST(SoundKeeperChoice, ChosenDeviceLostInUseFallsBackAndReturns) {
  FakeSound sound;
  sound.listed = kWithRadio;
  sound.keeper.choose(kRadio);
  sound.keeper.start();
  EXPECT_EQ(sound.open, kRadio.id);
  EXPECT_TRUE(sound.shown.empty());

  sound.listed = kWithoutRadio;
  sound.keeper.lost("the playback stream stopped");
  EXPECT_EQ(sound.banner(),
            "No sound output: the playback stream stopped. Trying again every 3 s.");
  sound.keeper.retry();  // the list has changed
  EXPECT_EQ(sound.open, "");
  EXPECT_NE(sound.banner().find("is not there; the system default is used"), std::string::npos);

  sound.listed = kWithRadio;
  sound.keeper.retry();
  EXPECT_EQ(sound.open, kRadio.id);
  EXPECT_EQ(sound.banner(), "");
}

TEST(SoundKeeperChoice, ChosenDeviceLeavingTheListMovesToTheDefaultBeforeAnyLossIsReported) {
  FakeSound sound;
  sound.listed = kWithRadio;
  sound.keeper.choose(kRadio);
  sound.keeper.start();
  sound.listed = kWithoutRadio;
  sound.keeper.retry();  // the list changed
  EXPECT_EQ(sound.open, "");
  EXPECT_EQ(sound.closes, 1);
  EXPECT_NE(sound.banner().find("is not there"), std::string::npos);
}

TEST(SoundKeeperChoice, OperatorsChoiceMovesTheRunningStreamAtOnceButNotToWhereItIs) {
  FakeSound sound;
  sound.listed = kWithRadio;
  sound.keeper.start();
  sound.keeper.choose(kRadio);
  EXPECT_EQ(sound.open, kRadio.id);
  EXPECT_EQ(sound.closes, 1);
  sound.keeper.choose(kRadio);
  EXPECT_EQ(sound.closes, 1) << "the same device again: the stream runs on";
  sound.keeper.choose(std::nullopt);
  EXPECT_EQ(sound.open, "");
  EXPECT_EQ(sound.closes, 2);
}

TEST(SoundKeeperChoice, ListedDeviceThatRefusesLeavesTheDefaultWithANote) {
  FakeSound sound;
  sound.listed = kWithRadio;
  sound.refused = {kRadio.id};
  sound.keeper.choose(kRadio);
  sound.keeper.start();
  EXPECT_EQ(sound.open, "");
  EXPECT_NE(sound.banner().find("cannot be opened"), std::string::npos);
  sound.keeper.retry();
  EXPECT_EQ(sound.opens, 1) << "not tried again while it is listed";
  sound.listed = kWithoutRadio;
  sound.keeper.retry();
  sound.refused.clear();
  sound.listed = kWithRadio;
  sound.keeper.retry();
  EXPECT_EQ(sound.open, kRadio.id) << "plugged in again: tried again";
}

}  // namespace
}  // namespace mosaic
