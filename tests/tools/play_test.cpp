// mosaic play: a movie file shown again matches what the receiver showed while recording it.

#include "tests/receiver/test_signals.h"
#include "tool_runner.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include "tests/support/wav_files.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <cmath>
#include <cstdlib>
#include <vector>

namespace mosaic {
namespace {

using test::runTool;

// A 9600 Hz recording of `buffers` capture buffers with picture-like values on every carrier.
QString writeRecording(const QTemporaryDir& dir, int buffers) {
  const auto samples = testing::steppedCarriers(
      buffers * 12288, testing::allCarriers(),
      [](int k, int s) {
        if (k >= 56) return 3.5 + 3.5 * std::sin(0.17 * k + 0.11 * s);
        return 2.0 * std::sin(0.4 * k - 0.09 * s);
      },
      141, 0.0, 1200.0, 100.0, 5);
  const QString path = dir.filePath("rec.wav");
  EXPECT_TRUE(test::writeWav(path, samples, 9600));
  return path;
}

// The share of colour components within one step of each other, leaving out the three
// leftmost pixel columns: the newest symbol, whose "+ half pixel" windows ran past the end of the
// history while recording; the movie file holds it as the next run measured it, in full.
double shareWithinOneStep(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_RGB888),
               y = b.convertToFormat(QImage::Format_RGB888);
  long close = 0, all = 0;
  for (int row = 0; row < x.height(); ++row)
    for (int i = 3 * 3; i < x.width() * 3; ++i, ++all)
      close += std::abs(x.constScanLine(row)[i] - y.constScanLine(row)[i]) <= 1;
  return static_cast<double>(close) / static_cast<double>(all);
}

TEST(PlayTool, PicturesFollowWhatTheReceiverShowedWhileRecording) {
  QTemporaryDir dir;
  const QString rec = writeRecording(dir, 5);
  // The balance slope would push colour values past what a byte holds; at 0 they all fit.
  ASSERT_EQ(runTool({"decode", rec, "--balance", "0", "--movie", dir.filePath("m.49"),
                     "--frames-dir", dir.filePath("live")})
                .exitCode,
            0);
  const auto run = runTool({"play", dir.filePath("m.49"), "-o", dir.filePath("again")});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  // Picture i needs movie frames i and i + 1: five frames give four pictures.
  EXPECT_FALSE(QFile::exists(dir.filePath("again/frame-00005.png")));
  for (int i = 2; i <= 4; ++i) {
    const QString name = QString("frame-%1.png").arg(i, 5, 10, QChar('0'));
    const QImage live(dir.filePath("live/" + name)), again(dir.filePath("again/" + name));
    ASSERT_EQ(again.size(), QSize(288, 192)) << i;
    // The bytes' rounding moves a component by a step at most; values beyond what a byte holds
    // (where a frame's carriers jump in phase) are the rest.
    EXPECT_GT(shareWithinOneStep(live, again), 0.95) << i;
  }
}

TEST(PlayTool, WritesAVideoThatFfmpegReadsBack) {
  QTemporaryDir dir;
  const QString rec = writeRecording(dir, 4);
  ASSERT_EQ(runTool({"decode", rec, "--movie", dir.filePath("m.49")}).exitCode, 0);
  const QString video = dir.filePath("m.mp4");
  const auto run = runTool({"play", dir.filePath("m.49"), "-o", video, "--large"});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();

  AVFormatContext* format = nullptr;
  ASSERT_EQ(avformat_open_input(&format, video.toStdString().c_str(), nullptr, nullptr), 0);
  ASSERT_GE(avformat_find_stream_info(format, nullptr), 0);
  const int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  ASSERT_GE(stream, 0);
  const AVCodecParameters* par = format->streams[stream]->codecpar;
  EXPECT_EQ(par->width, 288);
  EXPECT_EQ(par->height, 192);
  int packets = 0;
  AVPacket* packet = av_packet_alloc();
  while (av_read_frame(format, packet) >= 0) {
    packets += packet->stream_index == stream;
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  EXPECT_EQ(packets, 3);
  // Three pictures of 1.28 s each.
  EXPECT_NEAR(format->duration / double(AV_TIME_BASE), 3 * 1.28, 0.1);
  avformat_close_input(&format);
}

TEST(PlayTool, RefusesWhatIsNotAMovieAndBadArguments) {
  QTemporaryDir dir;
  QFile odd(dir.filePath("odd.49"));
  ASSERT_TRUE(odd.open(QIODevice::WriteOnly));
  odd.write(QByteArray(7055, '\x80'));
  odd.close();
  const auto notMovie = runTool({"play", dir.filePath("odd.49"), "-o", dir.filePath("x.mp4")});
  EXPECT_EQ(notMovie.exitCode, 1);
  EXPECT_TRUE(notMovie.standardError.contains("7056"));
  EXPECT_FALSE(QFile::exists(dir.filePath("x.mp4")));
  EXPECT_EQ(runTool({"play", dir.filePath("none.49"), "-o", dir.filePath("x.mp4")}).exitCode, 1);
  EXPECT_EQ(runTool({"play", dir.filePath("odd.49")}).exitCode, 2);
  EXPECT_EQ(runTool({"play", dir.filePath("odd.49"), "-o", "out", "--contrast", "999"}).exitCode,
            2);
  EXPECT_EQ(runTool({"play", "-o", "out"}).exitCode, 2);
}

}  // namespace
}  // namespace mosaic
