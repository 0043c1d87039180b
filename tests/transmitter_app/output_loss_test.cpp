// The transmitter window when its playback device goes away and comes back.

#include "platform/status_banner.h"
#include "tests/transmitter_app/window_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace mosaic::test {
namespace {

bool silent(const std::vector<std::int16_t>& b) {
  return std::all_of(b.begin(), b.end(), [](std::int16_t s) { return s == 0; });
}

using OutputLossTest = WindowTest;

TEST_F(OutputLossTest, LossIsShownAndTransmissionResumesWithSilenceThenWholeFrames) {
  window->initialiseWindow();
  for (int i = 0; i < 3; ++i) audio.finishOldest();
  EXPECT_FALSE(window->statusBanner()->isVisibleTo(window.get()));

  audio.loseDevice("playback has stood still for 3 s");
  EXPECT_EQ(audio.closeCount, 1);
  EXPECT_TRUE(window->statusBanner()->isVisibleTo(window.get()));
  EXPECT_EQ(window->statusBanner()->text(),
            "No sound output: playback has stood still for 3 s. Trying again every 3 s.");

  audio.available = false;
  window->soundKeeper()->retry();
  EXPECT_EQ(audio.openCount, 2);
  EXPECT_TRUE(window->statusBanner()->isVisibleTo(window.get()));

  audio.available = true;
  audio.played.clear();
  window->soundKeeper()->retry();
  EXPECT_FALSE(window->statusBanner()->isVisibleTo(window.get()));
  ASSERT_EQ(audio.played.size(), 2u);
  EXPECT_TRUE(silent(audio.played[0]) && silent(audio.played[1]));
  audio.finishOldest();
  ASSERT_EQ(audio.played.size(), 3u);
  EXPECT_EQ(audio.played[2].size(), 61440u);
}

}  // namespace
}  // namespace mosaic::test
