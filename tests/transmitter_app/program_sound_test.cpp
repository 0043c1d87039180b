// The program on a real sound server (the test suite starts a private PulseAudio server whose
// default source records the default sink; without it the test is skipped): from start-up,
// 2.56 s of silence, then frames back to back, each the frame of the picture on show.

#include "tests/support/qt_app.h"
#include "tests/support/sound_recorder.h"
#include "tests/support/wav_files.h"
#include "tools/tool_runner.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <signal.h>

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

// The program's process stands still for `seconds`, from `afterFirstSound` seconds after the
// first sound was recorded.
struct Pause {
  double afterFirstSound;
  double seconds;
};

// Records the default source while the program starts and runs for `seconds`, pausing it as
// given; returns what was recorded from the moment of the launch on.
std::vector<std::int16_t> recordProgram(double seconds, std::vector<Pause> pauses = {}) {
  test::SoundRecorder source;
  if (!source.recording()) return {};
  std::vector<std::int16_t> recorded;
  std::size_t launch = 0, firstSound = 0;
  qint64 pid = 0;
  // What arrives is looked at every few milliseconds, as often as the recorder's blocks come.
  QTimer look;
  look.setTimerType(Qt::PreciseTimer);
  QObject::connect(&look, &QTimer::timeout, [&] {
    source.takeInto(recorded);
    if (pid == 0) return;
    if (firstSound == 0) {
      const auto found = std::find_if(recorded.begin() + static_cast<long>(launch), recorded.end(),
                                      [](std::int16_t v) { return v != 0; });
      if (found != recorded.end()) firstSound = static_cast<std::size_t>(found - recorded.begin());
    }
    if (firstSound == 0 || pauses.empty()) return;
    const Pause next = pauses.front();
    if (recorded.size() < firstSound + static_cast<std::size_t>(next.afterFirstSound * 48000))
      return;
    pauses.erase(pauses.begin());
    ::kill(static_cast<pid_t>(pid), SIGSTOP);
    QTimer::singleShot(static_cast<int>(next.seconds * 1000), Qt::PreciseTimer, &look,
                       [pid] { ::kill(static_cast<pid_t>(pid), SIGCONT); });
  });
  look.start(5);
  test::runUntil([&] { return recorded.size() >= 24000; }, 3000);  // recording runs

  QTemporaryDir cwd;  // no crawl text file there
  QProcess program;
  program.setWorkingDirectory(cwd.path());
  source.takeInto(recorded);
  launch = recorded.size();
  // As on a first start, whatever the developer's own settings hold.
  program.start(QStringLiteral(MOSAICCAST_PATH), {QStringLiteral("--defaults")});
  if (!program.waitForStarted()) return {};
  pid = program.processId();
  const auto wanted = launch + static_cast<std::size_t>(48000 * seconds);
  test::runUntil([&] { return recorded.size() >= wanted; },
                 static_cast<int>(seconds * 1000) + 8000);
  ::kill(static_cast<pid_t>(pid), SIGCONT);
  program.kill();
  program.waitForFinished();
  return std::vector<std::int16_t>(recorded.begin() + static_cast<long>(launch), recorded.end());
}

// Checks one recording: 2.56 s of silence at least, then `frames` frames back to back, each
// equal to `expected`; says why it fails.
bool silenceThenFrames(const std::vector<std::int16_t>& recorded,
                       const std::vector<std::int16_t>& expected, int frames, std::string& why) {
  const auto first =
      std::find_if(recorded.begin(), recorded.end(), [](std::int16_t s) { return s != 0; });
  if (first == recorded.end()) return why = "no sound reached the sink", false;
  const double silence = static_cast<double>(first - recorded.begin()) / 48000;
  std::printf("first sound %.3f s after launch\n", silence);
  // At least the two silent buffers; start-up and the server's latency come on top.
  if (silence < 2.56 || silence > 3.5)
    return why = "first sound after " + std::to_string(silence) + " s", false;
  if (recorded.end() - first < frames * kFrameSamples)
    return why = "fewer than " + std::to_string(frames) + " frames recorded", false;
  for (int f = 0; f < frames; ++f)
    if (!std::equal(expected.begin(), expected.end(), first + f * kFrameSamples))
      return why =
                 "frame " + std::to_string(f) + " is not the picture's frame, or not in its place",
             false;
  return true;
}

// Other suites' sound tests may play into the same server at the same time; a fault of the
// program fails every try, such a collision only one.
template <typename Try>
void passesOnceInThreeTries(Try attempt) {
  std::vector<std::string> reasons;
  for (int n = 0; n < 3; ++n) {
    std::string why;
    if (attempt(why)) return;
    reasons.push_back(why);
  }
  for (const auto& r : reasons) ADD_FAILURE() << r;
}

// From start-up, 2.56 s of silence, then frames back to back, each the frame of the empty
// picture on show, equal to `mosaic encode`'s for a black picture. Meanwhile the program's whole
// process stands still, the sound thread with it, for 1.0 s and later 1.2 s, each time just
// before a frame is due: what the sound server already holds bridges it. (One test, so that no
// two programs play into the test server's sink at once.)
TEST(ProgramSound, SilenceThenFramesWithoutGapsThoughTheProcessStandsStillFor12Seconds) {
  test::app();
  if (!std::getenv("MOSAIC_SOUND_SERVER")) GTEST_SKIP() << "no sound server";
  QTemporaryDir dir;
  QImage black(kVideoAreaWidth, kVideoAreaHeight, QImage::Format_RGB888);
  black.fill(Qt::black);
  const QString picture = dir.filePath(QStringLiteral("black.png"));
  const QString wav = dir.filePath(QStringLiteral("black.wav"));
  ASSERT_TRUE(black.save(picture));
  const auto run = test::runTool({QStringLiteral("encode"), picture, QStringLiteral("-o"), wav});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  const auto expected = test::readWav(wav).samples;
  ASSERT_EQ(expected, startUpFrame());
  passesOnceInThreeTries([&](std::string& why) {
    const std::vector<Pause> pauses{{2 * 1.28 - 0.1, 1.0}, {6 * 1.28 - 0.1, 1.2}};
    return silenceThenFrames(recordProgram(15, pauses), expected, 9, why);
  });
}

}  // namespace
}  // namespace mosaic
