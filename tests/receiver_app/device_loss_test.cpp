// The receiver window when its recording device goes away and comes back.

#include "platform/status_banner.h"
#include "tests/receiver_app/receiver_rig.h"

#include <gtest/gtest.h>

namespace mosaic::test {
namespace {

std::vector<std::int16_t> tone(std::int16_t level) {
  std::vector<std::int16_t> b(kCaptureSamples);
  for (std::size_t i = 0; i < b.size(); ++i)
    b[i] = static_cast<std::int16_t>(i % 2 ? level : -level);
  return b;
}

TEST(ReceiverDeviceLoss, LossIsShownAndTheLastPictureNoLongerPassesForLive) {
  ReceiverRig rig;
  ASSERT_TRUE(rig.receive(tone(1000)));
  EXPECT_FALSE(rig.window.statusBanner()->isVisibleTo(&rig.window));
  EXPECT_FALSE(rig.window.pictureView()->noInput());

  rig.input.loseDevice("the recording stream stopped");
  EXPECT_FALSE(rig.input.opened) << "the lost stream is closed";
  EXPECT_TRUE(rig.window.statusBanner()->isVisibleTo(&rig.window));
  EXPECT_EQ(rig.window.statusBanner()->text(),
            "No sound input: the recording stream stopped. Trying again every 3 s.");
  EXPECT_TRUE(rig.window.pictureView()->noInput());
  EXPECT_FALSE(rig.receive(tone(1000))) << "nothing is recorded while the device is away";
}

TEST(ReceiverDeviceLoss, DeviceBackGivesAFreshChainAndALivePicture) {
  ReceiverRig rig;
  ASSERT_TRUE(rig.receive(tone(1000)));
  ASSERT_TRUE(rig.receive(tone(1000)));
  EXPECT_EQ(rig.window.engine().runs(), 2);
  rig.input.loseDevice("no sound has arrived for 3 s");

  rig.input.failOpen = true;  // still away at the first retry
  rig.window.soundKeeper().retry();
  EXPECT_TRUE(rig.window.pictureView()->noInput());
  rig.input.failOpen = false;
  rig.window.soundKeeper().retry();
  EXPECT_TRUE(rig.input.started);
  EXPECT_FALSE(rig.window.statusBanner()->isVisibleTo(&rig.window));

  ASSERT_TRUE(rig.receive(tone(500)));
  EXPECT_EQ(rig.window.engine().runs(), 1) << "no samples from before the loss";
  const auto& history = rig.window.engine().history().samples;
  EXPECT_EQ(history[0], 0);
  EXPECT_EQ(history[kCaptureSamples - 1], 0);
  EXPECT_FALSE(rig.window.pictureView()->noInput()) << "a new picture is live again";
}

TEST(ReceiverDeviceLoss, NoDeviceAtStartIsShownAndTakenWhenItAppears) {
  fakes::FakeAudioInput input;
  input.failOpen = true;
  testing::FakeMovieFiles files;
  app();
  ReceiverWindow window(input, files, ReceiverServices{});
  EXPECT_EQ(window.statusBanner()->text(),
            "No sound input: no usable device. Trying again every 3 s.");
  input.failOpen = false;
  window.soundKeeper().retry();
  EXPECT_TRUE(input.started);
  EXPECT_TRUE(window.statusBanner()->text().isEmpty());
}

}  // namespace
}  // namespace mosaic::test
