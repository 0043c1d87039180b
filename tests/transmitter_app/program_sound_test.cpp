// The program on a real sound server (the test suite starts a private PulseAudio server whose
// default source records the default sink; without it the test is skipped): from start-up,
// 2.56 s of silence, then frames back to back, each the frame of the picture on show.

#include "qt_app.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/frame_synthesizer.h"

#include <QAudioFormat>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace mosaic {
namespace {

// The frame of the program's start-up picture: the empty area with the marker, crawl off.
std::vector<std::int16_t> startUpFrame() {
  ComposedVideoArea area;
  CrawlState crawl;
  PictureGrab grab;
  auto planes = std::make_unique<PicturePlanes>();
  grab.grabPicture(area, crawl, "", *planes);
  std::vector<std::int16_t> frame(kFrameSamples);
  FrameSynthesizer().synthesize(*planes, frame.data());
  return frame;
}

TEST(ProgramSound, SilenceFor256SecondsThenFramesWithoutGaps) {
  test::app();
  if (!std::getenv("MOSAIC_SOUND_SERVER")) GTEST_SKIP() << "no sound server";
  QAudioFormat format;
  format.setSampleRate(48000);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  QAudioSource source(QMediaDevices::defaultAudioInput(), format);
  source.setBufferSize(48000 / 50 * 2);
  QIODevice* input = source.start();
  ASSERT_NE(input, nullptr);
  std::vector<std::int16_t> recorded;
  QObject::connect(input, &QIODevice::readyRead, [&] {
    const QByteArray bytes = input->readAll();
    const auto* s = reinterpret_cast<const std::int16_t*>(bytes.constData());
    recorded.insert(recorded.end(), s, s + bytes.size() / 2);
  });
  test::runUntil([&] { return recorded.size() >= 24000; }, 3000);  // recording runs

  QTemporaryDir cwd;  // no crawl text file there
  QProcess program;
  program.setWorkingDirectory(cwd.path());
  const std::size_t launch = recorded.size();
  program.start(QStringLiteral(MOSAICCAST_PATH));
  ASSERT_TRUE(program.waitForStarted());
  test::runUntil([&] { return recorded.size() >= launch + 48000 * 7; }, 12000);
  program.kill();
  program.waitForFinished();
  source.stop();

  const auto first = std::find_if(recorded.begin() + static_cast<long>(launch), recorded.end(),
                                  [](std::int16_t s) { return s != 0; });
  ASSERT_NE(first, recorded.end()) << "no sound reached the sink";
  const double silence = static_cast<double>(first - recorded.begin() - static_cast<long>(launch)) / 48000;
  std::printf("first sound %.3f s after launch\n", silence);
  EXPECT_GE(silence, 2.56);
  EXPECT_LT(silence, 3.5);  // start-up and the server's latency on top
  // Three whole frames back to back, each exactly the frame of the start-up picture.
  const auto expected = startUpFrame();
  ASSERT_GE(recorded.end() - first, 3 * kFrameSamples);
  for (int f = 0; f < 3; ++f)
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), first + f * kFrameSamples)) << "frame " << f;
}

}  // namespace
}  // namespace mosaic
