// Video files through FFmpeg: honest frame counts and exact seeks.

#include "media/ffmpeg_video_file.h"
#include "test_video.h"
#include "tests/support/qt_app.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace mosaic {
namespace {

using test::TestVideo;

struct Case {
  const char* name;
  TestVideo video;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class VideoFileSeeking : public ::testing::TestWithParam<Case> {};

TEST_P(VideoFileSeeking, CountsEveryFrameAndShowsExactlyTheFrameAskedFor) {
  QTemporaryDir dir;
  const Case& c = GetParam();
  const std::string path = dir.filePath(QString("clip.") + c.video.container.c_str()).toStdString();
  ASSERT_TRUE(test::writeTestVideo(path, c.video));
  FfmpegVideoFile file;
  std::string error;
  ASSERT_TRUE(file.open(path, error)) << error;
  EXPECT_EQ(file.length(), c.video.frames);
  // Forward one by one (as the step timer does), back across keyframes, jumps, and repeats.
  const int order[] = {0, 1, 2, 3, 9, 10, 11, 29, 28, 5, 5, 20, 19, 0, 15, 16, 17, 3};
  for (int position : order) {
    file.seek(position);
    EXPECT_EQ(file.shownFrame(), position);
    EXPECT_EQ(test::frameOfPicture(file.picture()), position) << "seek to " << position;
  }
  // At or past the end: the last frame.
  file.seek(c.video.frames);
  EXPECT_EQ(test::frameOfPicture(file.picture()), c.video.frames - 1);
  file.seek(1000000);
  EXPECT_EQ(test::frameOfPicture(file.picture()), c.video.frames - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Containers, VideoFileSeeking,
    ::testing::Values(Case{"avi_mpeg4", {"avi", "mpeg4", 30, 64, 48, 10, 0, {}}},
                      Case{"mp4_mpeg4", {"mp4", "mpeg4", 30, 64, 48, 8, 0, {}}},
                      Case{"mp4_bframes", {"mp4", "mpeg2video", 30, 64, 48, 8, 2, {}}},
                      Case{"mkv_mpeg2", {"matroska", "mpeg2video", 30, 64, 48, 12, 2, {}}},
                      Case{"mpeg_program_stream_bframes",
                           {"mpeg", "mpeg2video", 30, 64, 48, 6, 2, {}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VideoFile, FilesThatCannotBeShownSayWhyAndLeaveNothingOpen) {
  QTemporaryDir dir;
  FfmpegVideoFile file;
  std::string error;
  EXPECT_FALSE(file.open(dir.filePath("missing.avi").toStdString(), error));
  EXPECT_FALSE(error.empty());
  const QString junk = dir.filePath("junk.avi");
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(5000, 'x'));
  f.close();
  error.clear();
  EXPECT_FALSE(file.open(junk.toStdString(), error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(file.length(), 0);
  file.seek(3);  // harmless with nothing open
  EXPECT_TRUE(file.picture().isNull());
}

}  // namespace
}  // namespace mosaic
