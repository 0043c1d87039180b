// The receiver's input level, by which the operator sets the receive level: the figures of each
// buffer, a clipping warning that stays a few seconds, nothing shown once the input is lost; and
// on a real sound server, the level of what was played.

#include "platform/level_display.h"
#include "platform/sound_server_input.h"
#include "tests/receiver_app/receiver_rig.h"
#include "tests/support/private_sound_loop.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace mosaic::test {
namespace {

// `seconds` of a 1 kHz sine at 9600 Hz whose peak is `dbfs` below full scale.
std::vector<std::int16_t> sine(double dbfs, double seconds) {
  const double amplitude = 32767.0 * std::pow(10.0, dbfs / 20.0);
  std::vector<std::int16_t> s(static_cast<std::size_t>(seconds * kRxSampleRateHz));
  for (std::size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<std::int16_t>(
        std::lround(amplitude * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 9600.0)));
  return s;
}

std::vector<std::int16_t> oneBuffer(double dbfs) {
  std::vector<std::int16_t> s = sine(dbfs, 1.28);
  s.resize(kCaptureSamples);
  return s;
}

TEST(InputLevel, EachBufferShowsItsLevelAndClippingIsWarnedOfForAFewSeconds) {
  ReceiverRig rig;
  const LevelDisplay& shown = *rig.window.inputLevel();
  EXPECT_EQ(shown.text(), "No input");
  EXPECT_GE(shown.geometry().top(), rig.label(rx::kCounterId)->geometry().top());
  EXPECT_LE(shown.geometry().right(), rig.label(rx::kCounterId)->geometry().left());
  ASSERT_TRUE(rig.receive(oneBuffer(-20.0)));
  EXPECT_EQ(shown.text(), "Input peak -20.0 dBFS, RMS -23.0");
  EXPECT_FALSE(shown.warning());
  ASSERT_TRUE(rig.receive(std::vector<std::int16_t>(kCaptureSamples, 0)));
  EXPECT_EQ(shown.text(), "Input silent");

  // One buffer reaches full scale: the warning stays through two clean ones, about 4 s.
  ASSERT_TRUE(rig.receive(oneBuffer(0.0)));
  EXPECT_EQ(shown.text(), "Input clipping! Peak 0.0 dBFS");
  EXPECT_TRUE(shown.warning());
  ASSERT_TRUE(rig.receive(oneBuffer(-12.0)));
  ASSERT_TRUE(rig.receive(oneBuffer(-12.0)));
  EXPECT_TRUE(shown.warning());
  EXPECT_EQ(shown.text(), "Input clipping! Peak -12.0 dBFS");
  ASSERT_TRUE(rig.receive(oneBuffer(-12.0)));
  EXPECT_FALSE(shown.warning());
  EXPECT_EQ(shown.text(), "Input peak -12.0 dBFS, RMS -15.0");

  // A lost input shows no level: the last one would mislead.
  rig.input.loseDevice("the recording stream stopped");
  EXPECT_EQ(shown.text(), "No input");
}

// What is played into the receiver's input is what its level display reads.
TEST(InputLevel, TheLevelOfSoundFromTheServerIsShown) {
  app();
  if (!std::getenv("MOSAIC_SOUND_SERVER")) GTEST_SKIP() << "no sound server";
  PrivateLoop loop;
  ASSERT_TRUE(loop.loaded());
  QTemporaryDir dir;
  std::vector<std::int16_t> played = sine(-20.0, 3.0);
  const std::vector<std::int16_t> loud = sine(0.0, 1.5);
  played.insert(played.end(), loud.begin(), loud.end());
  const std::vector<std::int16_t> after = sine(-20.0, 6.5);
  played.insert(played.end(), after.begin(), after.end());
  const QString signal = dir.filePath(QStringLiteral("signal.raw"));
  ASSERT_TRUE(writeRaw(signal, played));

  SoundServerInput input;
  input.useDevice(loop.source.toStdString());
  testing::FakeMovieFiles files;
  ReceiverWindow window(input, files, ReceiverServices{});
  QProcess player;
  player.setStandardInputFile(signal);
  player.start(QStringLiteral("pacat"),
               {"--device=" + loop.sink, "--rate=9600", "--channels=1", "--format=s16le"});
  const LevelDisplay& shown = *window.inputLevel();
  EXPECT_TRUE(runUntil([&] { return shown.text() == "Input peak -20.0 dBFS, RMS -23.0"; }, 8000))
      << shown.text().toStdString();
  EXPECT_TRUE(runUntil([&] { return shown.warning(); }, 8000)) << shown.text().toStdString();
  EXPECT_TRUE(shown.text().startsWith("Input clipping!"));
  EXPECT_TRUE(runUntil([&] { return !shown.warning(); }, 10000));
  EXPECT_EQ(shown.text(), "Input peak -20.0 dBFS, RMS -23.0");
  window.shutDown();
  player.kill();
  player.waitForFinished(3000);
}

}  // namespace
}  // namespace mosaic::test
