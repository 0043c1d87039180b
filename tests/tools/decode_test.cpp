// mosaic decode: the movie file against an independent demodulator, round trips from the
// transmitter's signal, the pictures it writes, --auto-tune, and its handling of bad arguments
// and input.

#include "receiver/app/picture_image.h"
#include "tests/receiver/reference_demodulator.h"
#include "tests/receiver/test_signals.h"
#include "tests/support/air_signal.h"
#include "tests/support/transmitted_frames.h"
#include "tests/support/wav_files.h"
#include "tool_runner.h"
#include "tools/auto_tune.h"
#include "tools/decode_quality.h"
#include "tools/decode_recording.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace mosaic {
namespace {

using test::runTool;
using test::writeWav;

std::vector<std::uint8_t> readAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray data = f.readAll();
  return std::vector<std::uint8_t>(data.begin(), data.end());
}

// A picture-like 9600 Hz recording with noise that arrives `offsetHz` off.
std::vector<std::int16_t> recording9600(int buffers, double offsetHz) {
  return testing::steppedCarriers(
      buffers * kCaptureSamples, testing::allCarriers(),
      [](int k, int s) {
        if (k >= 56) return 3.5 + 3.5 * std::sin(0.17 * k + 0.11 * s);
        return 2.5 * std::sin(0.4 * k - 0.09 * s);
      },
      141, offsetHz, 1200.0, 500.0, 11);
}

struct DecodeCase {
  QStringList options;
  testing::ReferenceSettings reference;
  double offsetHz;
};

TEST(DecodeMovie, AgreesWithAnIndependentDemodulatorFrameByFrame) {
  QTemporaryDir dir;
  const int buffers = 5;
  const DecodeCase cases[] = {
      {{}, {}, 0.0},
      {{"--coarse", "-3", "--fine", "-0.4", "--balance", "-35", "--no-half-pixel"},
       {-3.0f, -0.4f, -35, 0, 0},
       3.4},
      {{"--coarse", "12.3", "--fine", "1.96", "--balance", "150"},
       {12.3f, 1.96f, 150, 85, 170},
       -14.26},
  };
  for (const DecodeCase& c : cases) {
    const auto audio = recording9600(buffers, c.offsetHz);
    // A little over five buffers: the part that does not fill a buffer is left out.
    auto withTail = audio;
    withTail.resize(withTail.size() + 1000, 0);
    const QString wav = dir.filePath("rec.wav");
    const QString movie = dir.filePath("out.49");
    ASSERT_TRUE(writeWav(wav, withTail, 9600));
    const auto run = runTool(QStringList{"decode", wav, "--movie", movie} + c.options);
    ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.contains("1000 samples")) << run.standardError.toStdString();
    const auto bytes = readAll(movie);
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(buffers) * 7056);

    testing::Agreement agreement;
    std::vector<std::int16_t> history(kHistorySamples, 0);
    for (int b = 0; b < buffers; ++b) {
      std::copy(history.begin() + kCaptureSamples, history.end(), history.begin());
      std::copy_n(audio.begin() + b * kCaptureSamples, kCaptureSamples,
                  history.begin() + kCaptureSamples);
      const auto reference = testing::referenceRunBytes(history.data(), c.reference);
      testing::compareBytes(bytes.data() + b * 7056, reference.data(), 7056, agreement);
    }
    std::printf("[ movie agreement ] %s: %.4f %% of %lld bytes equal, max difference %d\n",
                c.options.join(' ').toStdString().c_str(), 100.0 * agreement.fractionEqual(),
                agreement.total, agreement.maxDifference);
    EXPECT_GE(agreement.fractionEqual(), 0.99);
    EXPECT_LE(agreement.maxDifference, 1);
  }
}

// A smooth test picture: luminance waves across rows and columns, gentle colour.
std::unique_ptr<PicturePlanes> smoothPicture() {
  auto planes = std::make_unique<PicturePlanes>();
  for (int c = 1; c <= 47; ++c) {
    for (int r = 1; r <= 64; ++r) {
      planes->Y[c][r] = static_cast<float>(4.0 + 3.0 * std::sin(0.15 * c) * std::cos(0.12 * r));
      planes->V[c][r] = static_cast<float>(0.8 * std::sin(0.05 * c));
      planes->U[c][r] = static_cast<float>(-0.5 * std::cos(0.07 * r));
    }
  }
  return planes;
}

TEST(Resampler, TonesAcrossTheCarrierBandKeepTheirLevelAndTiming) {
  // Any delay or phase bend in the converter moves every demodulated value; fed in pieces as a
  // file is read, the output must be the ideal 9600 Hz tone within a sample step.
  for (double hz : {400.0, 2100.0, 3425.0}) {
    std::vector<float> input(96000);
    for (std::size_t n = 0; n < input.size(); ++n)
      input[n] = static_cast<float>(10000.0 * std::sin(2 * M_PI * hz * double(n) / 48000.0));
    Resampler resampler(48000, 9600);
    std::string error;
    std::vector<std::int16_t> out;
    for (std::size_t at = 0; at < input.size(); at += 7000) {
      const long count = static_cast<long>(std::min<std::size_t>(7000, input.size() - at));
      ASSERT_TRUE(
          resampler.convert(input.data() + at, count, at + 7000 >= input.size(), out, error))
          << error;
    }
    ASSERT_EQ(out.size(), 19200u) << hz;
    double worst = 0.0;
    for (std::size_t n = 500; n < out.size() - 500; ++n) {
      const double ideal = 10000.0 * std::sin(2 * M_PI * hz * double(n) / 9600.0);
      worst = std::max(worst, std::fabs(out[n] - ideal));
    }
    EXPECT_LE(worst, 1.0) << hz << " Hz";
  }
}

TEST(DecodeRoundTrip, TransmittedLuminanceComesBackWithinOneAndAHalfSteps) {
  const auto planes = smoothPicture();
  const auto audio = test::transmittedFrames(*planes, 6);
  QTemporaryDir dir;
  const QString wav = dir.filePath("tx.wav");
  const QString movie = dir.filePath("rx.49");
  ASSERT_TRUE(writeWav(wav, audio, kTxSampleRateHz));
  for (int balance : {67, 0}) {
    const auto run =
        runTool({"decode", wav, "--movie", movie, "--balance", QString::number(balance)});
    ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const auto bytes = readAll(movie);
    ASSERT_EQ(bytes.size(), 6u * 7056);
    // The first buffer's older half is silence; look at the symbols received after it.
    const int symbols = 5 * 48;
    const auto match = tool::bestLuminanceMatch(*planes, bytes.data() + 48 * 147, symbols, balance);
    std::printf("[ round trip ] balance %d: mean error %.3f steps (sub-column %d)\n", balance,
                match.meanError, match.subColumn);
    // At the receiver's start-up settings the bound is 1.5 steps. Without the balance slope more
    // bytes stay below the clamp at 255 and count; the columns next to the empty symbols at each
    // frame edge then carry most of the error (a block that straddles the jump from value 0).
    EXPECT_LE(match.meanError, balance == 67 ? 1.5 : 2.0) << balance;
  }
}

TEST(DecodeRoundTrip, InProcessDecodeOfTheSampleVectorMatchesTheTool) {
  const auto planes = smoothPicture();
  const auto audio = test::transmittedFrames(*planes, 4);
  QTemporaryDir dir;
  const QString wav = dir.filePath("tx.wav");
  const QString png = dir.filePath("rx.png");
  ASSERT_TRUE(writeWav(wav, audio, kTxSampleRateHz));
  DemodSettings demod;
  demod.fineHz = 0.5f;
  DisplaySettings display;
  display.horizontalFilter = true;
  display.screenSize = ScreenSize::Large;
  const auto decoded = tool::decodeRecording(audio, kTxSampleRateHz, demod, display);
  EXPECT_EQ(decoded.buffers, 4);
  EXPECT_EQ(decoded.movie.size(), 4u * 7056);
  const auto run = runTool({"decode", wav, "-o", png, "--fine", "0.5", "--hfilter", "--large"});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  const QImage written(png);
  ASSERT_EQ(written.size(), QSize(288, 192));
  EXPECT_EQ(written.convertToFormat(QImage::Format_RGB888), decoded.picture);
  // The last run's newest half shows the picture: the measure finds it.
  const auto match = tool::bestLuminanceMatch(*planes, decoded.lastRun.data(), 95, demod.balance);
  EXPECT_LE(match.meanError, 3.0);  // the fine tuning lifts every value a little
}

TEST(PictureImage, SmallIsTheBitmapTopDownAndLargeStretchesTheLuminanceRows) {
  PictureBitmap bitmap;
  bitmap.pixel(0, 0)[kRed] = 200;       // bottom left
  bitmap.pixel(287, 191)[kBlue] = 100;  // top right of the small view
  bitmap.pixel(5, 100)[kGreen] = 50;
  for (int y = 28; y <= 135; ++y)
    for (int x = 0; x < 144; ++x) bitmap.pixel(x, y)[kGreen] = 90;
  const QImage small = pictureImage(bitmap, ScreenSize::Small);
  ASSERT_EQ(small.size(), QSize(288, 192));
  EXPECT_EQ(small.pixelColor(0, 191), QColor(200, 0, 0));
  EXPECT_EQ(small.pixelColor(287, 0), QColor(0, 0, 100));
  EXPECT_EQ(small.pixelColor(5, 91), QColor(0, 90, 0));
  const QImage large = pictureImage(bitmap, ScreenSize::Large);
  ASSERT_EQ(large.size(), QSize(288, 192));
  // The source rectangle is uniform apart from one pixel, so the stretch is uniform far from it.
  EXPECT_EQ(large.pixelColor(280, 5), QColor(0, 90, 0));
  EXPECT_EQ(large.pixelColor(100, 180), QColor(0, 90, 0));
}

TEST(DecodeTool, FramesDirHoldsOnePicturePerBufferAndChannelsCanBeChosen) {
  QTemporaryDir dir;
  const auto tone = recording9600(3, 0.0);
  std::vector<std::int16_t> stereo(tone.size() * 2, 0);
  for (std::size_t i = 0; i < tone.size(); ++i) stereo[2 * i] = tone[i];  // right is silent
  const QString wav = dir.filePath("stereo.wav");
  ASSERT_TRUE(writeWav(wav, stereo, 9600, 2));
  const QString mono = dir.filePath("left.wav");
  ASSERT_TRUE(writeWav(mono, tone, 9600));

  const auto left = runTool({"decode", wav, "--channel", "left", "--movie", dir.filePath("l.49"),
                             "--frames-dir", dir.filePath("frames")});
  ASSERT_EQ(left.exitCode, 0) << left.standardError.toStdString();
  EXPECT_EQ(QDir(dir.filePath("frames")).entryList({"frame-*.png"}).size(), 3);
  const auto right =
      runTool({"decode", wav, "--channel", "right", "--movie", dir.filePath("r.49")});
  ASSERT_EQ(right.exitCode, 0);
  const auto alone = runTool({"decode", mono, "--movie", dir.filePath("m.49")});
  ASSERT_EQ(alone.exitCode, 0);
  EXPECT_EQ(readAll(dir.filePath("l.49")), readAll(dir.filePath("m.49")));
  const auto silent = readAll(dir.filePath("r.49"));
  ASSERT_EQ(silent.size(), 3u * 7056);
  EXPECT_EQ(std::count(silent.begin(), silent.end(), 0), static_cast<long>(silent.size()));

  const auto onMono =
      runTool({"decode", mono, "--channel", "right", "--movie", dir.filePath("x.49")});
  EXPECT_EQ(onMono.exitCode, 1);
  EXPECT_TRUE(onMono.standardError.contains("one channel"));
  EXPECT_FALSE(QFile::exists(dir.filePath("x.49")));
}

TEST(DecodeTool, SettingsOffTheirControlsAreUsageErrors) {
  QTemporaryDir dir;
  const QString wav = dir.filePath("rec.wav");
  ASSERT_TRUE(writeWav(wav, recording9600(1, 0.0), 9600));
  const QStringList bad[] = {
      {"--coarse", "20.1"},    {"--coarse", "0.05"},
      {"--fine", "4.02"},      {"--fine", "0.01"},
      {"--balance", "201"},    {"--balance", "1.5"},
      {"--brightness", "-1"},  {"--contrast", "257"},
      {"--saturation", "401"}, {"--noise-filter", "strong"},
      {"--channel", "middle"}, {"--coarse"},
      {"--sharpen"},           {"--integrate", "0"},
      {"--integrate", "17"},
  };
  for (const QStringList& options : bad) {
    const auto run = runTool(QStringList{"decode", wav, "-o", dir.filePath("p.png")} + options);
    EXPECT_EQ(run.exitCode, 2) << options.join(' ').toStdString();
    EXPECT_TRUE(run.standardError.contains("usage:")) << options.join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("p.png")));
  }
  // Values on the grid, at the ends of the ranges, are taken.
  const auto good =
      runTool({"decode", wav, "-o", dir.filePath("p.png"), "--coarse", "-20", "--fine", "3.98",
               "--balance", "-200", "--saturation", "400", "--noise-filter", "heavy", "--vinterp"});
  EXPECT_EQ(good.exitCode, 0) << good.standardError.toStdString();
  EXPECT_TRUE(QFile::exists(dir.filePath("p.png")));
}

TEST(DecodeTool, UnreadableOrTooShortInputFailsWithoutLeavingOutput) {
  QTemporaryDir dir;
  const QString garbage = dir.filePath("noise.wav");
  {
    QFile f(garbage);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("RIFF this is not a sound file at all");
  }
  const QString shortWav = dir.filePath("short.wav");
  ASSERT_TRUE(writeWav(shortWav, std::vector<std::int16_t>(12000, 100), 9600));
  for (const QString& input : {garbage, shortWav, dir.filePath("missing.wav")}) {
    const auto run =
        runTool({"decode", input, "-o", dir.filePath("p.png"), "--movie", dir.filePath("m.49")});
    EXPECT_EQ(run.exitCode, 1) << input.toStdString();
    EXPECT_FALSE(run.standardError.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("p.png")));
    EXPECT_FALSE(QFile::exists(dir.filePath("m.49")));
    EXPECT_EQ(QDir(dir.path()).entryList({".*part*"}, QDir::Hidden | QDir::Files).size(), 0);
  }
}

// Mean luminance byte difference of the last frame of two movie files.
double lastFrameLumaError(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  const std::size_t last = a.size() - kMovieFrameBytes;
  double sum = 0.0;
  int count = 0;
  for (int t = 1; t <= kMovieFrameBytes / kBytesPerSymbol; ++t)
    for (int slot = kFirstUsedSlot; slot < kFirstColourSlot; ++slot)
      for (int p = 0; p < kSubColumns; ++p, ++count) {
        const std::size_t i = last + runByteIndex(t, slot, p);
        sum += std::abs(int(a[i]) - int(b[i]));
      }
  return sum / count;
}

TEST(DecodeIntegrate, AWeakStillPictureComesOutClearInEveryOutput) {
  QTemporaryDir dir;
  constexpr int kBuffers = 10;
  const auto sent = test::sentStillTestCard(kBuffers, 3000, nullptr);
  ChannelSettings channel;
  const QString clean = dir.filePath("clean.wav");
  ASSERT_TRUE(writeWav(clean, test::receivedAt9600(sent, channel), 9600));
  channel.snrDb = 6.0;
  const QString weak = dir.filePath("weak.wav");
  ASSERT_TRUE(writeWav(weak, test::receivedAt9600(sent, channel), 9600));

  const auto reference = runTool({"decode", clean, "--movie", dir.filePath("clean.49")});
  const auto single = runTool({"decode", weak, "--movie", dir.filePath("single.49")});
  const auto combined =
      runTool({"decode", weak, "--integrate", "8", "--movie", dir.filePath("combined.49"), "-o",
               dir.filePath("combined.png"), "--frames-dir", dir.filePath("frames")});
  for (const auto& run : {reference, single, combined})
    ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  EXPECT_TRUE(combined.standardError.contains("combines up to 8 frames"))
      << combined.standardError.toStdString();
  const auto perfect = readAll(dir.filePath("clean.49"));
  const auto alone = readAll(dir.filePath("single.49"));
  const auto together = readAll(dir.filePath("combined.49"));
  // The lead into the first frame leaves the last buffer unfilled.
  ASSERT_EQ(together.size(), (kBuffers - 1) * kMovieFrameBytes);
  ASSERT_EQ(perfect.size(), together.size());
  const double aloneError = lastFrameLumaError(alone, perfect);
  const double combinedError = lastFrameLumaError(together, perfect);
  std::printf("[ integrate ] 6 dB: luminance error %.1f steps alone, %.1f after 8 frames\n",
              aloneError, combinedError);
  // Usable (at most 16 steps off) where a single frame is not.
  EXPECT_GT(aloneError, 16.0);
  EXPECT_LE(combinedError, 16.0);

  // The picture and the frames written are the combined ones, not the single frame's.
  const QImage last = QImage(dir.filePath("combined.png"));
  const QImage lastFrame = QImage(dir.filePath("frames/frame-00009.png"));
  ASSERT_FALSE(last.isNull());
  EXPECT_EQ(last, lastFrame);
  ASSERT_EQ(runTool({"decode", weak, "-o", dir.filePath("single.png")}).exitCode, 0);
  EXPECT_NE(last, QImage(dir.filePath("single.png")));

  // The aligned picture too: closer to the clean signal's than a single frame's.
  const auto aligned = [&](const QString& input, const QString& name, QStringList options) {
    const auto run = runTool(
        QStringList{"decode", input, "--aligned", "--scale", "1", "-o", dir.filePath(name)} +
        options);
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    return QImage(dir.filePath(name)).convertToFormat(QImage::Format_Grayscale8);
  };
  const QImage cleanAligned = aligned(clean, "a-clean.png", {});
  const QImage singleAligned = aligned(weak, "a-single.png", {});
  const QImage combinedAligned = aligned(weak, "a-combined.png", {"--integrate", "8"});
  const auto difference = [&](const QImage& image) {
    double sum = 0.0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        sum += std::abs(qGray(image.pixel(x, y)) - qGray(cleanAligned.pixel(x, y)));
    return sum / (image.width() * image.height());
  };
  ASSERT_EQ(combinedAligned.size(), cleanAligned.size());
  EXPECT_LT(2.0 * difference(combinedAligned), difference(singleAligned));
}

TEST(DecodeAutoTune, TuningLineHasSignAndTwoDecimals) {
  EXPECT_EQ(tool::tuningLine(-7.3), "tuning: -7.30 Hz");
  EXPECT_EQ(tool::tuningLine(12.345678), "tuning: +12.35 Hz");
  EXPECT_EQ(tool::tuningLine(-0.001), "tuning: +0.00 Hz");
  EXPECT_EQ(tool::tuningLine(0.0), "tuning: +0.00 Hz");
}

TEST(DecodeAutoTune, DecodePrintsOneTuningLineAndDecodesWithIt) {
  QTemporaryDir dir;
  const auto sent = test::sentTestCard(6, 7000);
  ChannelSettings channel;
  channel.snrDb = 20;
  channel.offsetHz = 5.37;  // centred by -5.37
  const std::vector<float> air = applyChannel(sent, kTxSampleRateHz, channel);
  std::vector<std::int16_t> samples(air.size());
  for (std::size_t i = 0; i < air.size(); ++i) samples[i] = roundToSample(air[i]);
  const QString wav = dir.filePath(QStringLiteral("mistuned.wav"));
  std::string error;
  tool::WavWriter writer(wav.toStdString(), kTxSampleRateHz);
  ASSERT_TRUE(writer.open(error) && writer.write(samples.data(), long(samples.size()), error) &&
              writer.finish(error))
      << error;

  const auto run = runTool({QStringLiteral("decode"), wav, QStringLiteral("--auto-tune"),
                            QStringLiteral("-o"), dir.filePath(QStringLiteral("p.png"))});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  const QStringList lines = run.standardOutput.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 1) << run.standardOutput.toStdString();
  ASSERT_TRUE(lines[0].startsWith(QStringLiteral("tuning: -5.")) && lines[0].endsWith(" Hz"))
      << lines[0].toStdString();
  EXPECT_NEAR(lines[0].mid(8, 5).toDouble(), -5.37, 0.1);

  // The picture is the one decoded with the sliders at the estimate.
  const auto tuned =
      runTool({QStringLiteral("decode"), wav, QStringLiteral("--coarse"), QStringLiteral("-5.4"),
               QStringLiteral("--fine"), QStringLiteral("0.02"), QStringLiteral("-o"),
               dir.filePath(QStringLiteral("q.png"))});
  ASSERT_EQ(tuned.exitCode, 0);
  if (std::abs(lines[0].mid(8, 5).toDouble() + 5.38) < 0.011) {
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("p.png"))),
              QImage(dir.filePath(QStringLiteral("q.png"))));
  }

  const auto both = runTool({QStringLiteral("decode"), wav, QStringLiteral("--auto-tune"),
                             QStringLiteral("--fine"), QStringLiteral("1")});
  EXPECT_EQ(both.exitCode, 2);
}

}  // namespace
}  // namespace mosaic
