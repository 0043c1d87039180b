// The receiver's signal-to-noise estimate against the radio channel of `mosaic channel` at known
// ratios: white noise, mistuning and a drifting clock, and the ends of the scale.

#include "receiver/core/quality/signal_to_noise.h"
#include "tests/support/air_signal.h"
#include "tool_runner.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace mosaic {
namespace {

using test::runTool;

// The estimate of every buffer after the first (whose history starts with silence) of the
// recording `wav` sent through `mosaic channel` with `channelOptions`.
std::vector<double> estimatesThroughChannel(const QString& wav, const QStringList& channelOptions) {
  QTemporaryDir dir;
  const QString received = dir.filePath(QStringLiteral("received.wav"));
  const auto run = runTool(
      QStringList{QStringLiteral("channel"), wav, QStringLiteral("-o"), received} + channelOptions);
  EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  std::vector<double> estimates;
  EngineSettings settings;
  settings.measureSnr = true;
  ReceiverEngine engine(settings);
  BufferFeeder feeder(engine, [&](const ReceiverEngine& heard) {
    if (heard.runs() > 1) estimates.push_back(heard.report().snr.snrDb);
    return true;
  });
  tool::RecordingReader reader;
  std::string error;
  EXPECT_TRUE(reader.open(received.toStdString(), tool::ChannelChoice::Mix, error)) << error;
  EXPECT_TRUE(tool::feedRecording(reader, feeder, error)) << error;
  return estimates;
}

struct SentCard {
  QTemporaryDir dir;
  QString wav = dir.filePath(QStringLiteral("sent.wav"));
  SentCard() { test::writeSentWav(wav, test::sentTestCard(7)); }
};

// Within 1 dB from 0 to 35 dB (measured: 0.4 dB), within 2 dB below that, where the noise
// estimate's own spread starts to count.
TEST(SignalToNoise, AgreesWithTheChannelWithinADecibelOverTheUsefulRange) {
  SentCard sent;
  struct Case {
    double snrDb;
    QStringList options;  // beyond the noise
  };
  const Case cases[] = {
      {-5, {}},
      {0, {}},
      {5, {}},
      {10, {}},
      {15, {}},
      {20, {}},
      {25, {}},
      {30, {}},
      {35, {}},
      {15, {QStringLiteral("--offset"), QStringLiteral("20")}},
      {15, {QStringLiteral("--offset"), QStringLiteral("-20")}},
      {20, {QStringLiteral("--clock-ppm"), QStringLiteral("200")}},
      {10, {QStringLiteral("--passband"), QStringLiteral("300-3600")}},
  };
  for (const Case& c : cases) {
    const auto estimates = estimatesThroughChannel(
        sent.wav, QStringList{QStringLiteral("--snr"), QString::number(c.snrDb),
                              QStringLiteral("--seed"), QString::number(7 + c.snrDb)} +
                      c.options);
    ASSERT_GE(estimates.size(), 4u) << c.snrDb;
    const auto [low, high] = std::minmax_element(estimates.begin(), estimates.end());
    std::printf("[ snr ] channel %5.1f dB %-20s: estimates %5.2f .. %5.2f dB\n", c.snrDb,
                c.options.join(' ').toStdString().c_str(), *low, *high);
    for (double e : estimates)
      EXPECT_NEAR(e, c.snrDb, c.snrDb >= 0 ? 1.0 : 2.0)
          << c.snrDb << " dB " << c.options.join(' ').toStdString();
  }
}

TEST(SignalToNoise, ACleanSignalReadsHighAndNoiseAloneReadsLow) {
  SentCard sent;
  const auto clean = estimatesThroughChannel(sent.wav, {});
  ASSERT_FALSE(clean.empty());
  std::printf("[ snr ] without noise: %.1f dB at the least\n",
              *std::min_element(clean.begin(), clean.end()));
  for (double e : clean) EXPECT_GE(e, 45.0);
  // The receiver's audio with no signal at all: the ratio is as low as it goes.
  const std::vector<std::int16_t> silence(3 * kCaptureSamples, 0);
  SnrMeter meter;
  EXPECT_EQ(meter.measure(silence).snrDb, kLowestSnrDb);
  std::vector<float> noise =
      addNoise(std::vector<float>(3 * kCaptureSamples, 1000.0f), kRxSampleRateHz, 0.0, 5);
  std::vector<std::int16_t> noiseSamples(noise.size());
  for (std::size_t i = 0; i < noise.size(); ++i)
    noiseSamples[i] = roundToSample(noise[i] - 1000.0f);
  EXPECT_LT(meter.measure(noiseSamples).snrDb, -10.0);
}

}  // namespace
}  // namespace mosaic
