// The transmitter's output level, by which the operator sets the transceiver's drive: the
// level of the frame on the air, shown a few times a second below the controls; nothing while
// the output is down; and on a real sound server, the level of the frames the program sends.

#include "platform/level_display.h"
#include "platform/sound_server_output.h"
#include "tests/transmitter_app/window_fixture.h"
#include "transmitter/app/command_ids.h"
#include "transmitter/app/picture_grab.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace mosaic::test {
namespace {

QString captionOf(const std::vector<std::int16_t>& frame) {
  return LevelDisplay::caption(LevelDisplay::Side::Output,
                               measureLevel(frame.data(), static_cast<int>(frame.size())), false);
}

using OutputLevelTest = WindowTest;

TEST_F(OutputLevelTest, TheFrameOnTheAirIsShownBelowTheControlsAndNothingWhileTheOutputIsDown) {
  const LevelDisplay& shown = *window->outputLevel();
  EXPECT_EQ(shown.text(), "No output");
  window->initialiseWindow();
  window->show();
  // In the strip below the controls of either source: nothing moves, and the window keeps its
  // size, 107 dialog units high and as wide as the video area and the position bar.
  EXPECT_EQ(window->clientArea()->size(), QSize(160, 174));
  EXPECT_GT(shown.geometry().top(), window->control(kPlayPauseId)->geometry().bottom());
  EXPECT_LT(shown.geometry().bottom(), window->clientArea()->height());
  EXPECT_TRUE(runUntil([&] { return shown.text() == "Output silent"; }, 1000));
  open(makeVideo("clip.avi", 4));
  audio.finishOldest();  // the first frame is built; the second silent buffer plays
  runUntil([] { return false; }, 2 * LevelDisplay::kRefreshMs);
  EXPECT_EQ(shown.text(), "Output silent");
  audio.finishOldest();  // the first frame plays
  ASSERT_EQ(audio.played.size(), 4u);
  EXPECT_TRUE(runUntil([&] { return shown.text() == captionOf(audio.played[2]); }, 1000))
      << shown.text().toStdString();
  EXPECT_TRUE(shown.text().startsWith("Output peak ")) << shown.text().toStdString();
  audio.loseDevice("playback has stood still for 3 s");
  EXPECT_TRUE(runUntil([&] { return shown.text() == "No output"; }, 1000));
}

// The program's own sound output: after the start-up silence, the level of the start-up frame.
TEST(OutputLevelSound, TheLevelOfTheFramesSentIsShown) {
  app();
  if (!std::getenv("MOSAIC_SOUND_SERVER")) GTEST_SKIP() << "no sound server";
  SoundServerOutput output;
  TransmitterWindow window(programServices(output, false));
  window.initialiseWindow();
  ComposedVideoArea area;
  CrawlState crawl;
  TransmitChain chain;
  std::vector<std::int16_t> frame(kFrameSamples);
  buildComposedFrame(chain, area, crawl, "", frame.data());
  const LevelDisplay& shown = *window.outputLevel();
  EXPECT_TRUE(runUntil([&] { return shown.text() == "Output silent"; }, 2000));
  EXPECT_TRUE(runUntil([&] { return shown.text() == captionOf(frame); }, 8000))
      << shown.text().toStdString();
  window.done(0);
}

}  // namespace
}  // namespace mosaic::test
