// mosaic quality: its error measure through the real chain, the statistics that decide when a
// point is measured well enough, the usable limit, the pictures it draws, and the command.

#include "signal/timing.h"
#include "tests/support/qt_app.h"
#include "tool_runner.h"
#include "tools/quality/picture_error.h"
#include "tools/quality/picture_strip.h"
#include "tools/quality/quality_figures.h"
#include "tools/quality/quality_plot.h"
#include "tools/quality/quality_report.h"
#include "tools/quality/sample_pictures.h"
#include "tools/quality/sent_signals.h"
#include "tools/quality/sweep_statistics.h"
#include "tools/quality/usable_limit.h"
#include "tools/test_card.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/transmit_chain.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace mosaic::tool {
namespace {

constexpr std::size_t kSymbolBytes = 147;
constexpr std::size_t kLumaBytesPerSymbol = 36 * 3;

// The test card sent for three frames, once for all tests here (the transmitter draws with Qt).
const std::vector<float>& sentCard() {
  static const std::vector<float> sent = [] {
    test::app();
    return transmittedAt9600(drawTestCard(), 3);
  }();
  return sent;
}

TEST(QualityError, SeparatesLuminanceFromColourBytes) {
  std::vector<std::uint8_t> perfect(2 * kSymbolBytes, 100), received = perfect;
  PictureErrorSum sum;
  EXPECT_EQ(sum.mean().luma, 0.0);
  received[5] = 110;                  // a luminance byte of the first symbol
  received[kSymbolBytes + 140] = 70;  // a colour byte of the second
  received[kSymbolBytes - 1] = 101;   // the last colour byte of the first
  sum.add(received, perfect);
  EXPECT_DOUBLE_EQ(sum.mean().luma, 10.0 / (2 * kLumaBytesPerSymbol));
  EXPECT_DOUBLE_EQ(sum.mean().colour, 31.0 / (2 * (kSymbolBytes - kLumaBytesPerSymbol)));
  // A second run without differences halves both means.
  sum.add(perfect, perfect);
  EXPECT_DOUBLE_EQ(sum.mean().luma, 5.0 / (2 * kLumaBytesPerSymbol));
  EXPECT_EQ(sum.runs(), 2u);
}

TEST(QualityError, IsZeroOverAPerfectChannelAndGrowsWithNoise) {
  const auto& sent = sentCard();
  const RunList perfect = decodeRuns(toSamples(sent), sweepReceiverSettings());
  ASSERT_EQ(perfect.size(), 3u);

  TrialRequest request;
  request.sent = &sent;
  request.perfect = &perfect;
  request.channel.passLowHz = 300.0;
  request.channel.passHighHz = 3600.0;
  request.channel.snrDb = 100.0;  // the passband and a trace of noise: nothing a byte shows
  const TrialResult clean = runTrial(request);
  EXPECT_LT(clean.manual.luma, 0.05);
  EXPECT_LT(clean.manual.colour, 0.05);

  double last = clean.manual.luma;
  for (double snr : {20.0, 10.0, 0.0}) {
    request.channel.snrDb = snr;
    const TrialResult noisy = runTrial(request);
    EXPECT_GT(noisy.manual.luma, last + 1.0) << snr << " dB";
    EXPECT_GT(noisy.manual.colour, 0.5) << snr << " dB";
    last = noisy.manual.luma;
  }
  // Pure noise against the picture: around a third of the byte range.
  EXPECT_GT(last, 40.0);
  EXPECT_LT(last, 100.0);
}

TEST(QualityError, AutoTuningFindsAMistuningThatTheManualReceiverKeeps) {
  const auto& sent = sentCard();
  const RunList perfect = decodeRuns(toSamples(sent), sweepReceiverSettings());
  TrialRequest request;
  request.sent = &sent;
  request.perfect = &perfect;
  request.channel.offsetHz = 2.0;
  request.channel.snrDb = 30.0;
  request.autoTune = true;
  const TrialResult r = runTrial(request);
  EXPECT_NEAR(r.tunedOffsetHz, -2.0, 0.1);
  EXPECT_GT(r.manual.luma, 3.0 * r.tuned.luma);
}

// The sweep runs the channel at the receiver's rate, after the resampler, instead of on the
// sound card's 48000 Hz before it: the noise and fading that reach the carriers are the same.
TEST(QualityError, ChannelAtTheReceiversRateMatchesTheSoundCardsRate) {
  const auto& sent = sentCard();
  const RunList perfect = decodeRuns(toSamples(sent), sweepReceiverSettings());
  const std::vector<std::int16_t> sent48 = transmitted(drawTestCard(), 3);
  for (Fading fading : {Fading::None, Fading::Moderate}) {
    double at9600 = 0.0, at48000 = 0.0;
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
      ChannelSettings channel;
      channel.snrDb = 12.0;
      channel.fading = fading;
      channel.passLowHz = 300.0;
      channel.passHighHz = 3600.0;
      channel.seed = seed;
      at9600 += runTrial({&sent, &perfect, channel, false, false}).manual.luma;
      const auto heard = toSamples(
          applyChannel(std::vector<float>(sent48.begin(), sent48.end()), kTxSampleRateHz, channel));
      at48000 += decodingError(resampledTo9600({heard.begin(), heard.end()}), perfect,
                               sweepReceiverSettings())
                     .luma;
    }
    EXPECT_NEAR(at9600 / at48000, 1.0, 0.05) << at9600 / 4 << " against " << at48000 / 4;
  }
}

TEST(QualitySignals, LeadAndClockErrorShapeTheSentSignal) {
  test::app();
  const std::vector<SweepPicture> pictures = {{"card", drawTestCard()}};
  const SentSignals sent(pictures, 2, {200.0}, 2);
  const auto& plain = sent.signal(0, 0, 0.0);
  const auto& led = sent.signal(0, 128, 0.0);
  const auto& fast = sent.signal(0, 64, 200.0);
  ASSERT_EQ(led.size(), plain.size() + 128);
  for (int i = 0; i < 128; ++i) ASSERT_EQ(led[static_cast<std::size_t>(i)], 0.0f);
  EXPECT_EQ(led[5000 + 128], plain[5000]);
  // A fast sending clock plays the same sound in fewer samples.
  const double expected = static_cast<double>(plain.size()) / 1.0002 + 64;
  EXPECT_NEAR(static_cast<double>(fast.size()), expected, 2.0);
  // The perfect runs of a lead are those of decoding that very signal.
  EXPECT_EQ(sent.perfect(0, 128), decodeRuns(toSamples(led), sweepReceiverSettings()));
  EXPECT_FALSE(sent.perfectPicture(0).isNull());
}

TEST(QualitySignals, NaturalPicturesCarryDetailWhereTheTransmitterLooks) {
  test::app();
  for (const QImage& picture : {drawLandscape(), drawPortrait()}) {
    ComposedVideoArea area;
    area.setSourcePicture(picture);
    CrawlState crawl;
    TransmitChain chain;
    std::vector<std::int16_t> frame(kFrameSamples);
    buildComposedFrame(chain, area, crawl, std::string(), frame.data());
    // Luminance varies along the sent rows and columns, and there is colour.
    float yLow = 1e9f, yHigh = -1e9f, colour = 0.0f;
    for (int c = 1; c <= 47; ++c)
      for (int r = kFirstSentRow; r <= kLastSentRow; ++r) {
        yLow = std::min(yLow, chain.planes().Y[c][r]);
        yHigh = std::max(yHigh, chain.planes().Y[c][r]);
        colour =
            std::max({colour, std::abs(chain.planes().U[c][r]), std::abs(chain.planes().V[c][r])});
      }
    EXPECT_GT(yHigh - yLow, 3.0f);
    EXPECT_GT(colour, 0.5f);
  }
}

TEST(QualitySweep, TinySweepIsRepeatableOnAnyNumberOfThreads) {
  test::app();
  SweepPlan plan = quickPlan();
  plan.channels.resize(1);  // white noise
  plan.snrsDb = {25, 3};
  plan.stripSnrsDb = {3};
  plan.frames = 2;
  plan.minSeeds = 2;
  plan.maxSeeds = 4;
  plan.autoTune = false;
  const SweepResult one = runSweep(plan, 1);
  const SweepResult two = runSweep(plan, 2);
  ASSERT_EQ(one.points.size(), 1u);
  ASSERT_EQ(one.points[0].size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const PointResult& a = one.points[0][i];
    const PointResult& b = two.points[0][i];
    EXPECT_EQ(a.luma.mean, b.luma.mean);
    EXPECT_EQ(a.colour.mean, b.colour.mean);
    EXPECT_GE(a.luma.samples, 2u);
    EXPECT_LE(a.luma.samples, 4u);
    EXPECT_EQ(a.luma.samples, b.luma.samples);
    ASSERT_EQ(a.combinedLuma.size(), plan.combinedFrames.size());
    EXPECT_EQ(a.combinedLuma[0].mean, b.combinedLuma[0].mean);
    ASSERT_EQ(a.afterChangeLuma.size(), 6u);
    EXPECT_EQ(a.afterChangeLuma[0].mean, b.afterChangeLuma[0].mean);
  }
  EXPECT_LT(one.points[0][0].luma.mean, one.points[0][1].luma.mean);
  // Combining clears the weak still picture; a new picture is shown closer with every frame.
  const PointResult& weak = one.points[0][1];
  EXPECT_LT(2.0 * weak.combinedLuma[0].mean, weak.luma.mean);
  EXPECT_LT(one.points[0][0].combinedLuma[0].mean, weak.combinedLuma[0].mean);
  EXPECT_LT(weak.afterChangeLuma[5].mean, weak.afterChangeLuma[0].mean);
  EXPECT_TRUE(one.points[0][0].pictures.empty());
  EXPECT_EQ(one.points[0][1].pictures.size(), 3u);  // one per picture sent
  EXPECT_TRUE(one.points[0][0].combinedPictures.empty());
  ASSERT_EQ(weak.combinedPictures.size(), 3u);
  EXPECT_EQ(weak.combinedPictures[0].size(), weak.pictures[0].size());
  EXPECT_NE(weak.combinedPictures[0], weak.pictures[0]);
  EXPECT_EQ(one.perfectPictures.size(), 3u);
}

// A sweep result made up by hand: one channel whose luminance error passes the usable limit
// between 24 and 18 dB, or, auto-tuned, not at all.
SweepResult madeUpResult(bool autoTune) {
  SweepResult r;
  r.plan = quickPlan();
  r.plan.channels.resize(1);
  r.plan.snrsDb = {30, 24, 18};
  r.plan.stripSnrsDb = {};
  r.plan.autoTune = autoTune;
  r.plan.combinedFrames = {8};
  const double luma[] = {2.0, kUsableLumaError - 0.5, kUsableLumaError + 10.0};
  r.points.assign(1, std::vector<PointResult>(3));
  for (int i = 0; i < 3; ++i) {
    PointResult& p = r.points[0][static_cast<std::size_t>(i)];
    p.snrDb = r.plan.snrsDb[static_cast<std::size_t>(i)];
    p.luma = figureOf({luma[i] - 0.5, luma[i] + 0.5});
    p.colour = figureOf({3.0, 3.0});
    p.tunedLuma = figureOf({1.0, 1.0});
    p.tunedColour = figureOf({1.0, 1.0});
    p.combinedLuma = {figureOf({1.0 + i, 1.0 + i})};
    p.combinedColour = {figureOf({2.0, 2.0})};
    // Usable again from the second frame after a change on, or (at 18 dB) not within six.
    for (double e : {30.0, 10.0, 5.0, 4.0, 4.0, i == 2 ? 40.0 : 4.0})
      p.afterChangeLuma.push_back(figureOf({e, e}));
  }
  r.pictures = sweepPictures();
  for (const auto& p : r.pictures) r.perfectPictures.push_back(p.picture);
  return r;
}

std::string readText(const QString& path) {
  std::ifstream in(path.toStdString());
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(QualityReport, TablesAndHeadlineFollowTheFigures) {
  test::app();
  for (bool autoTune : {true, false}) {
    QTemporaryDir dir;
    std::string error;
    const SweepResult r = madeUpResult(autoTune);
    ASSERT_TRUE(writeQualityReport(r, dir.path().toStdString(), error)) << error;
    const std::string page = readText(dir.filePath("quality.md"));
    EXPECT_NE(page.find("| SNR in 3000 Hz [dB] | 30 | 24 | 18 |"), std::string::npos);
    char row[80];
    std::snprintf(row, sizeof row, "| luminance error | 2.0 | %.1f | %.1f |",
                  kUsableLumaError - 0.5, kUsableLumaError + 10.0);
    EXPECT_NE(page.find(row), std::string::npos) << page;
    EXPECT_NE(page.find("| white noise | 24 dB"), std::string::npos);
    EXPECT_NE(page.find("| seeds | 2 | 2 | 2 |"), std::string::npos);
    // Spread: standard error 0.5 of a mean of 2.0.
    EXPECT_NE(page.find("| spread [%] | 25.0 |"), std::string::npos);
    EXPECT_EQ(page.find("auto-tuned") != std::string::npos, autoTune);
    EXPECT_EQ(headlineText(r).find("auto-tuned 18 dB") != std::string::npos, autoTune);
    EXPECT_NE(page.find(autoTune ? "| white noise | 24 dB | 18 dB | 18 dB |"
                                 : "| white noise | 24 dB | 18 dB |"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("| luminance, combined over 8 frames | 1.0 | 2.0 | 3.0 |"),
              std::string::npos);
    EXPECT_NE(page.find("| new picture usable after [frames] | 2 | 2 | > 6 |"), std::string::npos);
    EXPECT_NE(headlineText(r).find("combined over 8 frames 18 dB"), std::string::npos);
  }
}

TEST(QualityFigures, PlotPutsLowSnrLeftAndLargeErrorsUp) {
  test::app();
  PlotCurve curve{"c", QColor(255, 0, 0), Qt::SolidLine, {{0.0, 40.0}, {30.0, 0.0}}};
  const QImage plot = drawErrorPlot({"t", "y", std::nullopt, ""}, {curve});
  // Red near the top left and the bottom right corners of the plot area, not the other two.
  const auto redNear = [&plot](int x, int y) {
    for (int dx = -4; dx <= 4; ++dx)
      for (int dy = -4; dy <= 4; ++dy) {
        const QColor c = plot.pixelColor(x + dx, y + dy);
        if (c.red() > 200 && c.green() < 80 && c.blue() < 80) return true;
      }
    return false;
  };
  EXPECT_TRUE(redNear(62, 38));
  EXPECT_TRUE(redNear(558, 388));
  EXPECT_FALSE(redNear(62, 388));
  EXPECT_FALSE(redNear(558, 38));
}

TEST(QualityStatistics, StandardErrorAndStability) {
  const Figure f = figureOf({1.0, 2.0, 3.0, 6.0});
  EXPECT_DOUBLE_EQ(f.mean, 3.0);
  // Sample variance 14/3, over 4 samples.
  EXPECT_NEAR(f.standardError, std::sqrt(14.0 / 3.0 / 4.0), 1e-12);
  EXPECT_FALSE(f.stable(0.05, 0.05));
  EXPECT_TRUE(f.stable(0.5, 0.05));
  EXPECT_TRUE(figureOf({0.01, 0.03}).stable(0.05, 0.05));  // tiny in steps though not in share
  EXPECT_FALSE(figureOf({2.0}).stable(0.5, 0.5));          // one sample shows no spread
  EXPECT_EQ(figureOf({}).mean, 0.0);
}

TEST(QualityUsable, IsTheLowestSnrBeforeTheFirstPointAboveTheLimit) {
  std::vector<PointResult> points(5);
  const double snrs[] = {30, 24, 18, 12, 6};
  const double errors[] = {2, 5, 13, 9, 40};  // 12 dB recovers by chance: it does not count
  for (int i = 0; i < 5; ++i) {
    points[static_cast<std::size_t>(i)].snrDb = snrs[i];
    points[static_cast<std::size_t>(i)].luma.mean = errors[i];
    points[static_cast<std::size_t>(i)].tunedLuma.mean = 1.0;
  }
  EXPECT_EQ(usableDownTo(points, 12.0), 24.0);
  EXPECT_EQ(usableDownTo(points, 50.0), 6.0);
  EXPECT_FALSE(usableDownTo(points, 1.0).has_value());
  EXPECT_EQ(usableDownTo(points, 1.0, true), 6.0);

  // The same rule for the combined pictures; none measured, none usable.
  for (int i = 0; i < 5; ++i)
    points[static_cast<std::size_t>(i)].combinedLuma = {figureOf({errors[i] / 4})};
  EXPECT_EQ(combinedUsableDownTo(points, 3.5, 0), 12.0);
  EXPECT_FALSE(combinedUsableDownTo(points, 3.5, 1).has_value());
  // After a new picture: the first frame from which every later one is usable.
  PointResult change;
  for (double e : {40.0, 12.0, 20.0, 9.0, 8.0, 7.0}) change.afterChangeLuma.push_back({e, 0.0, 2});
  EXPECT_EQ(usableAfterChange(change, 16.0), 4);
  EXPECT_EQ(usableAfterChange(change, 25.0), 2);
  EXPECT_FALSE(usableAfterChange(change, 5.0).has_value());
}

TEST(QualityFigures, StripPlacesEachPictureUnderItsCaption) {
  test::app();
  QImage red(10, 10, QImage::Format_RGB888), blue = red;
  red.fill(Qt::red);
  blue.fill(Qt::blue);
  const QImage strip = drawPictureStrip({{"a", {red, blue}}, {"b", {blue}}}, 40, 30);
  ASSERT_GT(strip.width(), 80);
  ASSERT_GT(strip.height(), 60);
  // Column 0 row 0 red, column 0 row 1 blue, column 1 row 0 blue, column 1 row 1 empty.
  const int x0 = 24, x1 = strip.width() - 24, y0 = strip.height() - 50, y1 = strip.height() - 10;
  EXPECT_EQ(strip.pixelColor(x0, y0), QColor(Qt::red));
  EXPECT_EQ(strip.pixelColor(x0, y1), QColor(Qt::blue));
  EXPECT_EQ(strip.pixelColor(x1, y0), QColor(Qt::blue));
  EXPECT_NE(strip.pixelColor(x1, y1), QColor(Qt::blue));
}

TEST(QualityFigures, PlotGroupsShareTheWhiteNoiseReference) {
  const SweepPlan plan = fullPlan();
  const auto fading = channelsOfGroup(plan, "fading");
  const auto tuning = channelsOfGroup(plan, "tuning");
  EXPECT_EQ(fading.size(), 5u);
  EXPECT_EQ(tuning.size(), 9u);
  EXPECT_EQ(plan.channels[fading.front()].id, "white");
  EXPECT_EQ(plan.channels[tuning.front()].id, "white");
}

TEST(QualityCommand, QuickSweepWritesThePageAndItsPictures) {
  QTemporaryDir dir;
  // The bound only catches a hang: the quick sweep takes seconds here, but two minutes and more
  // on a slow or emulated processor.
  const auto run = test::runTool({"quality", "--quick", "-o", dir.path()}, 600000);
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  EXPECT_TRUE(run.standardOutput.contains("white noise: usable down to"))
      << run.standardOutput.toStdString();
  QFile page(dir.filePath("quality.md"));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(page.readAll());
  EXPECT_TRUE(text.contains("| SNR in 3000 Hz [dB] | 30 | 15 | 6 | 0 |"));
  // Every picture the page shows was written and is a readable PNG.
  int shown = 0;
  for (const auto& m : QRegularExpression(R"(\]\(([^)]+\.png)\))").globalMatch(text)) {
    EXPECT_FALSE(QImage(dir.filePath(m.captured(1))).isNull()) << m.captured(1).toStdString();
    ++shown;
  }
  // Sent pictures, plots (the combined one too), one strip per channel and a combined strip for
  // white noise.
  EXPECT_EQ(shown, 1 + 5 + 3 + 1);
  EXPECT_TRUE(text.contains(
      "received pictures, combined over 4 frames](quality-strip-white-combined.png)"));

  EXPECT_EQ(test::runTool({"quality", "--quick"}).exitCode, 2);
  EXPECT_EQ(test::runTool({"quality", "-o", dir.path(), "--slow"}).exitCode, 2);
}

}  // namespace
}  // namespace mosaic::tool
