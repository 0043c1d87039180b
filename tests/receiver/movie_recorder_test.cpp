// The movie recorder: file layout in 50-frame blocks, its buttons and counter, and what happens
// to frames in memory and to files that cannot be made or written.

#include "receiver/core/movie/movie_recorder.h"
#include "tests/receiver/fake_movie_files.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace mosaic {
namespace {

using Frame = std::array<std::uint8_t, kMovieFrameBytes>;

// Frame n: every byte says which frame it is, and byte 0 says it twice over, so frames can be
// told apart in a file.
Frame frameNumbered(int n) {
  Frame f;
  f.fill(static_cast<std::uint8_t>(n));
  f[1] = static_cast<std::uint8_t>(n >> 8);
  return f;
}

int frameNumberAt(const std::vector<std::uint8_t>& file, int index) {
  const std::size_t at = static_cast<std::size_t>(index) * kMovieFrameBytes;
  return file[at] | (file[at + 1] << 8);
}

struct Rig {
  testing::FakeMovieFiles files;
  std::vector<std::string> reports;
  MovieRecorder recorder{files, [this](const std::string& m) { reports.push_back(m); }};
  int nextFrame = 0;

  void open(const std::string& path) {
    recorder.beginOpen();
    recorder.openFile(path);
  }
  // Runs `count` buffers through the recorder, each with the next numbered frame.
  void receive(int count) {
    for (int i = 0; i < count; ++i) recorder.frameFinished(frameNumbered(nextFrame++));
  }
  const RecorderControls& controls() const { return recorder.controls(); }
};

TEST(MovieRecorder, OpeningAndClosingWithoutSavingLeavesAnEmptyFile) {
  Rig rig;
  EXPECT_EQ(rig.controls().counterText, "0 frames saved");
  rig.files.files["old.49"] = std::make_shared<testing::FakeMovieFiles::Stored>();
  rig.files.files["old.49"]->bytes.assign(1000, 7);
  rig.open("old.49");
  EXPECT_EQ(rig.controls().counterText, "0 frames saved    0 bytes saved");
  rig.receive(3);  // not saving: nothing stored or counted
  rig.recorder.closeFile();
  EXPECT_TRUE(rig.files.bytes("old.49").empty());
  EXPECT_FALSE(rig.files.files["old.49"]->open);
  EXPECT_EQ(rig.controls().counterText, "0 frames saved    0 bytes saved");
  EXPECT_TRUE(rig.reports.empty());
}

TEST(MovieRecorder, WritesWholeBlocksOfFiftyWhileSavingAndTheRestAtClose) {
  Rig rig;
  rig.open("m.49");
  rig.recorder.toggleSaving();
  rig.receive(1);
  EXPECT_EQ(rig.controls().counterText, "1 frames saved    7056 bytes saved");
  rig.receive(48);
  EXPECT_EQ(rig.files.files["m.49"]->appends, 0);  // 49 frames wait in memory
  rig.receive(1);
  EXPECT_EQ(rig.files.bytes("m.49").size(), 352800u);
  rig.receive(70);
  EXPECT_EQ(rig.files.files["m.49"]->appends, 2);
  EXPECT_EQ(rig.recorder.flushedFrames(), 100);
  EXPECT_EQ(rig.recorder.bufferedFrames(), 20);
  EXPECT_EQ(rig.controls().counterText, "120 frames saved    846720 bytes saved");
  rig.recorder.closeFile();
  const auto file = rig.files.bytes("m.49");
  ASSERT_EQ(file.size(), 846720u);
  for (int i = 0; i < 120; ++i) ASSERT_EQ(frameNumberAt(file, i), i) << "frame " << i;
  EXPECT_EQ(rig.controls().counterText, "120 frames saved    846720 bytes saved");  // kept
}

TEST(MovieRecorder, ClosingRightAfterTheFiftiethFrameWritesNothingMore) {
  Rig rig;
  rig.open("m.49");
  rig.recorder.toggleSaving();
  rig.receive(50);
  rig.recorder.closeFile();
  EXPECT_EQ(rig.files.bytes("m.49").size(), 50u * kMovieFrameBytes);
  EXPECT_EQ(rig.files.files["m.49"]->appends, 1);
}

TEST(MovieRecorder, APauseLeavesNoGapOrMarkerInTheFile) {
  Rig rig;
  rig.open("m.49");
  rig.recorder.toggleSaving();
  EXPECT_EQ(rig.controls().saveText, "Pause save");
  rig.receive(10);  // frames 0..9
  rig.recorder.toggleSaving();
  EXPECT_EQ(rig.controls().saveText, "Resume");
  rig.receive(5);  // frames 10..14, not kept
  EXPECT_EQ(rig.controls().counterText, "10 frames saved    70560 bytes saved");
  rig.recorder.toggleSaving();
  EXPECT_EQ(rig.controls().saveText, "Pause save");
  rig.receive(45);  // frames 15..59: the 50th saved frame is frame 54
  const auto file = rig.files.bytes("m.49");
  ASSERT_EQ(file.size(), 50u * kMovieFrameBytes);
  for (int i = 0; i < 50; ++i) ASSERT_EQ(frameNumberAt(file, i), i < 10 ? i : i + 5) << i;
}

TEST(MovieRecorder, FramesInMemoryAreWrittenWhenAnotherFileIsOpenedAndAtTheEnd) {
  Rig rig;
  rig.open("first.49");
  rig.recorder.toggleSaving();
  rig.receive(60);
  rig.open("second.49");
  EXPECT_EQ(rig.files.bytes("first.49").size(), 60u * kMovieFrameBytes);
  EXPECT_FALSE(rig.files.files["first.49"]->open);
  EXPECT_EQ(rig.controls().counterText, "0 frames saved    0 bytes saved");
  EXPECT_FALSE(rig.recorder.savingActive());

  rig.recorder.toggleSaving();
  rig.receive(3);
  rig.recorder.finish();
  const auto second = rig.files.bytes("second.49");
  ASSERT_EQ(second.size(), 3u * kMovieFrameBytes);
  EXPECT_EQ(frameNumberAt(second, 0), 60);
  EXPECT_FALSE(rig.files.files["second.49"]->open);
  EXPECT_TRUE(rig.reports.empty());
}

TEST(MovieRecorder, AFileThatCannotBeMadeIsReportedAndNothingIsCounted) {
  Rig rig;
  rig.files.uncreatable.insert("/read-only/m.49");
  rig.open("/read-only/m.49");
  ASSERT_EQ(rig.reports.size(), 1u);
  EXPECT_NE(rig.reports[0].find("/read-only/m.49"), std::string::npos);
  EXPECT_NE(rig.reports[0].find("Permission denied"), std::string::npos);
  EXPECT_FALSE(rig.recorder.fileOpen());
  EXPECT_FALSE(rig.controls().closeEnabled || rig.controls().saveEnabled);
  rig.recorder.toggleSaving();
  rig.receive(60);
  EXPECT_EQ(rig.controls().counterText, "0 frames saved");
  EXPECT_EQ(rig.reports.size(), 1u);
}

TEST(MovieRecorder, AFailedBlockKeepsAndCountsEveryWholeFrameThatFittedAndIsReportedOnce) {
  Rig rig;
  rig.files.capacity = 70u * kMovieFrameBytes;  // the first block and 20 frames of the second
  rig.open("m.49");
  rig.recorder.toggleSaving();
  rig.receive(100);
  ASSERT_EQ(rig.reports.size(), 1u);
  EXPECT_NE(rig.reports[0].find("70 frames written"), std::string::npos) << rig.reports[0];
  EXPECT_FALSE(rig.recorder.savingActive());
  EXPECT_FALSE(rig.controls().closeEnabled || rig.controls().saveEnabled);
  EXPECT_EQ(rig.controls().saveText, "Start save");
  EXPECT_EQ(rig.controls().counterText, "70 frames saved    493920 bytes saved");
  const auto file = rig.files.bytes("m.49");
  ASSERT_EQ(file.size(), 70u * kMovieFrameBytes);
  for (int i = 0; i < 70; ++i) EXPECT_EQ(frameNumberAt(file, i), i);
  EXPECT_FALSE(rig.files.files["m.49"]->open);
  rig.receive(100);
  rig.recorder.closeFile();
  rig.recorder.finish();
  EXPECT_EQ(rig.reports.size(), 1u);
}

TEST(MovieRecorder, AFailedWriteAtCloseIsReportedWithTheFramesKept) {
  Rig rig;
  rig.files.capacity = 60u * kMovieFrameBytes;
  rig.open("m.49");
  rig.recorder.toggleSaving();
  rig.receive(65);
  rig.recorder.closeFile();
  ASSERT_EQ(rig.reports.size(), 1u);
  EXPECT_EQ(rig.controls().counterText, "60 frames saved    423360 bytes saved");
  EXPECT_EQ(rig.files.bytes("m.49").size(), 60u * kMovieFrameBytes);

  rig.files.capacity = SIZE_MAX;
  rig.files.failClose = true;
  rig.open("n.49");
  rig.recorder.closeFile();
  EXPECT_EQ(rig.reports.size(), 2u);
  EXPECT_FALSE(rig.controls().closeEnabled);
}

TEST(MovieRecorder, LittleFreeSpaceIsReportedOnceWhenSavingStartsOrAfterABlock) {
  Rig rig;
  rig.files.tellsFreeSpace = true;
  const std::size_t block = MovieRecorder::kFramesPerBlock * kMovieFrameBytes;
  // Room for ten and a half blocks: enough at the start, too little after the first block.
  rig.files.capacity = static_cast<std::size_t>(MovieRecorder::kLowSpaceBytes) + block / 2;
  rig.open("m.49");
  rig.recorder.toggleSaving();
  EXPECT_TRUE(rig.reports.empty());
  rig.receive(49);
  EXPECT_TRUE(rig.reports.empty());
  rig.receive(1);
  ASSERT_EQ(rig.reports.size(), 1u);
  EXPECT_NE(rig.reports[0].find("nearly full"), std::string::npos) << rig.reports[0];
  EXPECT_NE(rig.reports[0].find("475 more frames"), std::string::npos) << rig.reports[0];
  EXPECT_TRUE(rig.recorder.savingActive());  // a warning, not a stop
  rig.receive(100);
  EXPECT_EQ(rig.reports.size(), 1u);

  // Another file on the same small disk is warned about at once.
  rig.recorder.closeFile();
  rig.files.capacity = block;
  rig.open("n.49");
  rig.recorder.toggleSaving();
  EXPECT_EQ(rig.reports.size(), 2u);
}

}  // namespace
}  // namespace mosaic
