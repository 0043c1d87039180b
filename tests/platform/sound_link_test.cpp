#include "platform/sound_link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mosaic {
namespace {

// A device that opens when `present` says so, and a log of what the link did with it.
struct FakeDevice {
  bool present = true;
  int opens = 0, closes = 0;
  std::string why;  // the reason the sound system gives for a failed opening
  std::vector<std::string> shown;

  SoundLink link() {
    return SoundLink("sound input", 3,
                     {[this] {
                        ++opens;
                        return present;
                      },
                      [this] { ++closes; }, [this](const std::string& s) { shown.push_back(s); },
                      [this] { return why; }});
  }
};

TEST(SoundLink, PresentDeviceOpensSilently) {
  FakeDevice device;
  SoundLink link = device.link();
  link.start();
  EXPECT_TRUE(link.live());
  EXPECT_EQ(device.opens, 1);
  EXPECT_TRUE(device.shown.empty());  // nothing to say: the window looks as it always did
  link.retry();
  EXPECT_EQ(device.opens, 1) << "a live device is never opened again";
}

TEST(SoundLink, AbsentAtStartIsShownAndTakenWhenItAppears) {
  FakeDevice device;
  device.present = false;
  SoundLink link = device.link();
  link.start();
  EXPECT_EQ(link.state(), SoundLink::State::Down);
  ASSERT_EQ(device.shown.size(), 1u);
  EXPECT_EQ(device.shown[0], "No sound input: no usable device. Trying again every 3 s.");
  link.retry();
  EXPECT_EQ(device.opens, 2);
  EXPECT_EQ(device.shown.size(), 1u) << "the same message is not repeated";
  // Where the sound system says why, the window says it too.
  device.why = "the sound server is not running";
  link.retry();
  EXPECT_EQ(device.shown.back(),
            "No sound input: the sound server is not running. Trying again every 3 s.");
  device.present = true;
  link.retry();
  EXPECT_TRUE(link.live());
  EXPECT_EQ(link.recoveries(), 1);
  EXPECT_EQ(device.shown.back(), "");
}

TEST(SoundLink, LostDeviceIsClosedOnceShownAndReopened) {
  FakeDevice device;
  SoundLink link = device.link();
  link.start();
  device.present = false;
  link.lost("the recording stream stopped");
  EXPECT_EQ(device.closes, 1);
  EXPECT_EQ(link.status(), "No sound input: the recording stream stopped. Trying again every 3 s.");
  link.lost("no sound has arrived for 3 s");  // a late second report of the same loss
  EXPECT_EQ(device.closes, 1);
  link.retry();
  EXPECT_FALSE(link.live());
  EXPECT_EQ(link.status(), "No sound input: the recording stream stopped. Trying again every 3 s.")
      << "a failed retry keeps the reason of the loss";
  device.present = true;
  link.retry();
  EXPECT_TRUE(link.live());
  EXPECT_EQ(link.status(), "");
  EXPECT_EQ(device.opens, 3);
}

TEST(SoundLink, StoppedLinkClosesAndNeverReopens) {
  FakeDevice device;
  SoundLink link = device.link();
  link.start();
  link.stop();
  EXPECT_EQ(device.closes, 1);
  link.lost("late report");
  link.retry();
  link.start();
  EXPECT_EQ(device.opens, 1);
  EXPECT_EQ(device.closes, 1);
}

}  // namespace
}  // namespace mosaic
