// The program and the mosaic tool put the same samples on the air for the same picture: the
// window, stepped to the positions the tool shows, with the crawl on, against `mosaic encode`.

#include "window_fixture.h"

#include "tools/tool_runner.h"
#include "transmitter/app/command_ids.h"

#include "tests/support/wav_files.h"

namespace mosaic::test {
namespace {

TEST_F(WindowTest, FramesEqualThoseOfMosaicEncodeForTheSameVideoAndCrawl) {
  constexpr int kFrames = 14;
  const QString video = makeVideo("clip.mp4", 12, 320, 240);
  writeCrawlText("\"CQ, 0 TEST DE MOSAIC\"\r\n");
  const QString wav = dir.filePath("tool.wav");
  const auto run = runTool({"encode", video, "-o", wav, "--frames", QString::number(kFrames),
                            "--crawl", "CQ, 0 TEST DE MOSAIC"});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  const auto tool = readWav(wav).samples;
  ASSERT_EQ(tool.size(), size_t(kFrames) * kFrameSamples);

  window->initialiseWindow();
  open(video);
  command(*window, kCrawlToggleId);
  for (int f = 0; f < kFrames; ++f) {
    window->onPositionScroll(ScrollCode::ThumbTrack, (f * 128 / 100) % 12);  // the tool's schedule
    audio.finishOldest();
  }
  ASSERT_EQ(audio.played.size(), size_t(2 + kFrames));
  for (int f = 0; f < kFrames; ++f) {
    const std::vector<short> expected(tool.begin() + f * kFrameSamples,
                                      tool.begin() + (f + 1) * kFrameSamples);
    EXPECT_EQ(audio.played[2 + f], expected) << "frame " << f;
  }
  // The frames are not all alike: the crawl and the pictures moved.
  EXPECT_NE(audio.played[2], audio.played[3]);
}

TEST_F(WindowTest, EncodeRunsThroughAWholeVideoByDefault) {
  const QString video = makeVideo("clip.avi", 12);
  const QString wav = dir.filePath("all.wav");
  ASSERT_EQ(runTool({"encode", video, "-o", wav}).exitCode, 0);
  // Frame f shows position floor(1.28 f): position 11, the last, first comes in frame 9.
  EXPECT_EQ(readWav(wav).samples.size(), size_t(10) * kFrameSamples);
  EXPECT_EQ(runTool({"encode", video, "-o", wav, "--crawl"}).exitCode, 2);
}

}  // namespace
}  // namespace mosaic::test
