// The program on a real sound server (the test suite starts a private PulseAudio server whose
// default source records the default sink; without it the test is skipped): from start-up,
// 2.56 s of silence, then frames back to back, each the frame of the picture on show.

#include "tests/support/qt_app.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"

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
  TransmitChain chain;
  std::vector<std::int16_t> frame(kFrameSamples);
  buildComposedFrame(chain, area, crawl, "", frame.data());
  return frame;
}

// Records the default source while the program starts and runs for 7 s; returns what was
// recorded from the moment of the launch on.
std::vector<std::int16_t> recordProgram() {
  QAudioFormat format;
  format.setSampleRate(48000);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  QAudioSource source(QMediaDevices::defaultAudioInput(), format);
  source.setBufferSize(48000 / 50 * 2);
  QIODevice* input = source.start();
  if (!input) return {};
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
  // As on a first start, whatever the developer's own settings hold.
  program.start(QStringLiteral(MOSAICCAST_PATH), {QStringLiteral("--defaults")});
  if (!program.waitForStarted()) return {};
  test::runUntil([&] { return recorded.size() >= launch + 48000 * 7; }, 12000);
  program.kill();
  program.waitForFinished();
  source.stop();
  return std::vector<std::int16_t>(recorded.begin() + static_cast<long>(launch), recorded.end());
}

// Checks one recording; says why it fails.
bool silenceThenFrames(const std::vector<std::int16_t>& recorded,
                       const std::vector<std::int16_t>& expected, std::string& why) {
  const auto first =
      std::find_if(recorded.begin(), recorded.end(), [](std::int16_t s) { return s != 0; });
  if (first == recorded.end()) return why = "no sound reached the sink", false;
  const double silence = static_cast<double>(first - recorded.begin()) / 48000;
  std::printf("first sound %.3f s after launch\n", silence);
  // At least the two silent buffers; start-up and the server's latency come on top.
  if (silence < 2.56 || silence > 3.5)
    return why = "first sound after " + std::to_string(silence) + " s", false;
  if (recorded.end() - first < 3 * kFrameSamples)
    return why = "fewer than three frames recorded", false;
  for (int f = 0; f < 3; ++f)
    if (!std::equal(expected.begin(), expected.end(), first + f * kFrameSamples))
      return why =
                 "frame " + std::to_string(f) + " is not the picture's frame, or not in its place",
             false;
  return true;
}

TEST(ProgramSound, SilenceFor256SecondsThenFramesWithoutGaps) {
  test::app();
  if (!std::getenv("MOSAIC_SOUND_SERVER")) GTEST_SKIP() << "no sound server";
  const auto expected = startUpFrame();
  // Other suites' sound tests may play into the same server at the same time; a fault of the
  // program fails every try, such a collision only one.
  std::vector<std::string> reasons;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string why;
    if (silenceThenFrames(recordProgram(), expected, why)) return;
    reasons.push_back(why);
  }
  for (const auto& r : reasons) ADD_FAILURE() << r;
}

}  // namespace
}  // namespace mosaic
