// mosaic encode against a frame built independently from the picture's pixels.

#include "../transmitter/reference_synthesis.h"
#include "tool_runner.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include "tests/support/wav_files.h"

#include <cstdlib>
#include <random>
#include <vector>

namespace mosaic {
namespace {

// Planes straight from the pixels: column c covers client columns 128 - 2c and 129 - 2c, row r
// client rows 128 - 2r and 129 - 2r; colour samples are the 2 x 2 sums divided by 128.
reference::Planes planesFromPicture(const QImage& img) {
  reference::Planes p;
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      long double R = 0, G = 0, B = 0;
      for (int x : {128 - 2 * c, 129 - 2 * c})
        for (int y : {128 - 2 * r, 129 - 2 * r}) {
          const QColor px = img.pixelColor(x, y);
          R += px.red();
          G += px.green();
          B += px.blue();
        }
      const long double r8 = static_cast<float>(R / 128), g8 = static_cast<float>(G / 128),
                        b8 = static_cast<float>(B / 128);
      p.Y[c][r] = static_cast<float>(0.3f * r8 + 0.6f * g8 + 0.1f * b8);
      p.V[c][r] = static_cast<float>(0.615f * r8 - 0.515f * g8 - 0.1f * b8);
      p.U[c][r] = static_cast<float>(-0.147f * r8 - 0.289f * g8 + 0.436f * b8);
    }
  return p;
}

QImage testPicture(unsigned seed) {
  QImage img(160, 128, QImage::Format_RGB888);
  std::mt19937 rng(seed);
  // Smooth shapes and noise together: both easy and hard pictures for the carriers.
  QPainter painter(&img);
  QLinearGradient g(0, 0, 160, 128);
  g.setColorAt(0, Qt::blue);
  g.setColorAt(1, Qt::yellow);
  painter.fillRect(img.rect(), g);
  painter.end();
  for (int i = 0; i < 2000; ++i)
    img.setPixelColor(static_cast<int>(rng() % 160), static_cast<int>(rng() % 128),
                      QColor(static_cast<int>(rng() % 256), static_cast<int>(rng() % 256),
                             static_cast<int>(rng() % 256)));
  return img;
}

TEST(EncodeTool, FramesAgreeWithAnIndependentBuildOfThePicture) {
  QTemporaryDir dir;
  const QString png = dir.filePath("picture.png"), wav = dir.filePath("out.wav");
  const QImage picture = testPicture(11);
  ASSERT_TRUE(picture.save(png));
  const auto run = test::runTool({"encode", png, "-o", wav, "--frames", "2"});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();

  const auto sound = test::readWav(wav);
  const auto& samples = sound.samples;
  EXPECT_EQ(sound.rateHz, 48000);
  EXPECT_EQ(sound.channels, 1);
  EXPECT_EQ(sound.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  ASSERT_EQ(samples.size(), 2u * 61440);

  const auto expected = reference::buildFrame(planesFromPicture(picture));
  int agree = 0, worst = 0;
  for (size_t n = 0; n < samples.size(); ++n) {
    const int d = std::abs(samples[n] - expected[n % 61440]);
    agree += d == 0;
    worst = std::max(worst, d);
  }
  EXPECT_GE(agree, static_cast<int>(0.995 * samples.size()));
  EXPECT_LE(worst, 2);
  std::printf("agreement %.4f %%, largest difference %d\n", 100.0 * agree / samples.size(), worst);
}

TEST(EncodeTool, OtherSizesAreScaledToFillTheVideoArea) {
  QTemporaryDir dir;
  const QString png = dir.filePath("big.png"), wav = dir.filePath("big.wav");
  QImage big(640, 480, QImage::Format_RGB888);
  big.fill(Qt::white);
  ASSERT_TRUE(big.save(png));
  ASSERT_EQ(test::runTool({"encode", png, "-o", wav}).exitCode, 0);
  QImage white(160, 128, QImage::Format_RGB888);
  white.fill(Qt::white);
  const auto samples = test::readWav(wav).samples;
  ASSERT_EQ(samples.size(), 61440u);  // one frame for a picture by default
  const auto expected = reference::buildFrame(planesFromPicture(white));
  EXPECT_TRUE(std::equal(samples.begin(), samples.end(), expected.begin()));
}

TEST(EncodeTool, BadArgumentsAndInputsLeaveNoOutputBehind) {
  QTemporaryDir dir;
  const QString wav = dir.filePath("never.wav");
  EXPECT_EQ(test::runTool({"encode"}).exitCode, 2);
  EXPECT_EQ(test::runTool({"encode", "x.png"}).exitCode, 2);
  EXPECT_EQ(test::runTool({"encode", "x.png", "-o", wav, "--frames", "0"}).exitCode, 2);
  EXPECT_EQ(test::runTool({"encode", "x.png", "-o", wav, "--frames", "two"}).exitCode, 2);
  EXPECT_EQ(test::runTool({"encode", "x.png", "-o", wav, "--bogus"}).exitCode, 2);
  const auto missing = test::runTool({"encode", dir.filePath("missing.png"), "-o", wav});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.standardError.contains("missing.png"));
  const QString notPicture = dir.filePath("notes.txt");
  QFile f(notPicture);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a picture");
  f.close();
  EXPECT_EQ(test::runTool({"encode", notPicture, "-o", wav}).exitCode, 1);
  // An output folder that does not exist: a clear failure, and nothing half-written anywhere.
  QImage img(160, 128, QImage::Format_RGB888);
  img.fill(Qt::gray);
  ASSERT_TRUE(img.save(dir.filePath("grey.png")));
  EXPECT_EQ(
      test::runTool({"encode", dir.filePath("grey.png"), "-o", dir.filePath("no/such/dir/out.wav")})
          .exitCode,
      1);
  EXPECT_FALSE(QFile::exists(wav));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".part").size(), 0);
}

TEST(DemoTool, SendsTheTestCardThroughTheSystemAndGivesAVerdict) {
  QTemporaryDir dir;
  const auto run = test::runTool({"demo", "-o", dir.path()});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  EXPECT_TRUE(QFile::exists(dir.filePath("test-card.png")));
  const auto sound = test::readWav(dir.filePath("sent.wav"));
  const auto& sent = sound.samples;
  EXPECT_EQ(sent.size(), 8u * 61440);
  EXPECT_EQ(sound.rateHz, 48000);
  // What the demo sends is what the transmitter sends for the card, overlays included.
  ASSERT_EQ(test::runTool({"encode", dir.filePath("test-card.png"), "-o", dir.filePath("card.wav"),
                           "--frames", "8"})
                .exitCode,
            0);
  EXPECT_EQ(test::readWav(dir.filePath("card.wav")).samples, sent);
  EXPECT_FALSE(test::readWav(dir.filePath("received.wav")).samples.empty());
  EXPECT_EQ(QImage(dir.filePath("received.png")).size(), QSize(288, 192));
  EXPECT_EQ(QImage(dir.filePath("received-both-frames.png")).size(), QSize(288, 192));
  // The verdict names the error and what a perfect channel leaves; the demo's channel is mild,
  // so the received luminance must stay close to that.
  const QRegularExpression verdict(
      "verdict: +(\\w+): luminance off by ([0-9.]+) steps on average where a perfect channel gives "
      "([0-9.]+)");
  const auto m = verdict.match(run.standardOutput);
  ASSERT_TRUE(m.hasMatch()) << run.standardOutput.toStdString();
  EXPECT_LT(m.captured(3).toDouble(), 8.0);
  EXPECT_LT(m.captured(2).toDouble() - m.captured(3).toDouble(), 3.0);
}

}  // namespace
}  // namespace mosaic
