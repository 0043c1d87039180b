// mosaic channel, run as scripts run it.

#include "tool_runner.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include "tests/support/wav_files.h"

#include <cmath>
#include <complex>
#include <vector>

namespace mosaic {
namespace {

void writeTone(const QString& path, double hz, int rate, int samples) {
  std::vector<std::int16_t> s(2 * samples);
  for (int n = 0; n < samples; ++n)
    s[2 * n] = s[2 * n + 1] = static_cast<short>(8000 * std::sin(2 * M_PI * hz * n / rate));
  ASSERT_TRUE(test::writeWav(path, s, rate, 2));  // the tool mixes to one channel
}

double amplitudeAt(const std::vector<short>& x, double hz, int rate) {
  std::complex<double> acc;
  const size_t from = x.size() / 4, to = 3 * x.size() / 4;
  for (size_t n = from; n < to; ++n)
    acc += double(x[n]) * std::polar(1.0, -2 * M_PI * hz * n / rate);
  return 2 * std::abs(acc) / double(to - from);
}

TEST(ChannelTool, MovesTheToneAndKeepsTheRate) {
  QTemporaryDir dir;
  const QString in = dir.filePath("tone.wav"), out = dir.filePath("out.wav");
  writeTone(in, 2100.0, 9600, 9600 * 2);
  const auto run = test::runTool({"channel", in, "-o", out, "--offset", "-3", "--seed", "5"});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  const auto sound = test::readWav(out);
  const auto& y = sound.samples;
  const int rate = sound.rateHz;
  EXPECT_EQ(sound.channels, 1);
  EXPECT_EQ(rate, 9600);
  EXPECT_EQ(y.size(), 19200u);
  EXPECT_NEAR(amplitudeAt(y, 2097.0, rate), 8000.0, 100.0);
  EXPECT_LT(amplitudeAt(y, 2100.0, rate), 800.0);
}

TEST(ChannelTool, RejectsBadSettingsBeforeReading) {
  QTemporaryDir dir;
  const QString in = dir.filePath("tone.wav"), out = dir.filePath("out.wav");
  writeTone(in, 1000.0, 9600, 960);
  for (const QStringList& bad :
       {QStringList{"--snr", "loud"}, QStringList{"--fading", "stormy"},
        QStringList{"--passband", "3000-300"}, QStringList{"--passband", "300-6000"},
        QStringList{"--seed", "-1"}, QStringList{"--wobble"}}) {
    EXPECT_EQ(test::runTool(QStringList{"channel", in, "-o", out} + bad).exitCode, 2)
        << bad.join(' ').toStdString();
  }
  EXPECT_EQ(test::runTool({"channel", dir.filePath("none.wav"), "-o", out}).exitCode, 1);
  EXPECT_FALSE(QFile::exists(out));
}

}  // namespace
}  // namespace mosaic
