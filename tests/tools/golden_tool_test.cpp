// What `mosaic encode`, `decode` and `play` write, held as digests: the sound of whole frames with
// the crawl on, and the pictures and movie bytes of recordings at many settings. They must come
// out the same on every machine the tool is built for; the digests were taken from the x86-64
// build.

#include "resampling/resampler.h"
#include "tests/support/digest.h"
#include "tests/support/wav_files.h"
#include "tool_runner.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mosaic {
namespace {

// Shapes, lines and a gradient painted at the video area's size, used pixel for pixel.
QImage paintedPicture() {
  QImage img(160, 128, QImage::Format_RGB888);
  QPainter painter(&img);
  QLinearGradient g(0, 0, 160, 128);
  g.setColorAt(0, QColor(20, 40, 200));
  g.setColorAt(1, QColor(250, 230, 30));
  painter.fillRect(img.rect(), g);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(200, 30, 40));
  painter.drawEllipse(QPointF(70, 60), 30, 22);
  painter.setPen(QPen(Qt::white, 3));
  painter.drawLine(10, 120, 150, 8);
  return img;
}

// Pixels from a plain integer generator, at a size the video area scales down.
QImage noisePicture(int width, int height) {
  QImage img(width, height, QImage::Format_RGB888);
  std::uint32_t state = 99;
  for (int y = 0; y < height; ++y) {
    uchar* line = img.scanLine(y);
    for (int x = 0; x < 3 * width; ++x)
      line[x] = static_cast<uchar>((state = state * 1664525u + 1013904223u) >> 24);
  }
  return img;
}

QImage uniformPicture(QColor colour, int width, int height) {
  QImage img(width, height, QImage::Format_RGB888);
  img.fill(colour);
  return img;
}

std::uint64_t pixelDigest(const QString& path) {
  const QImage img = QImage(path).convertToFormat(QImage::Format_RGB888);
  test::Digest digest;
  for (int y = 0; y < img.height(); ++y)
    digest.add(std::span<const std::uint8_t>(img.constScanLine(y),
                                             3 * static_cast<std::size_t>(img.width())));
  return img.isNull() ? 0 : digest.value();
}

std::uint64_t soundDigest(const QString& path) {
  return test::Digest().add(test::readWav(path).samples).value();
}

std::uint64_t fileDigest(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QByteArray data = f.readAll();
  return test::Digest()
      .add(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                         static_cast<std::size_t>(data.size())))
      .value();
}

// The pictures of a folder in name order, as one digest.
std::uint64_t folderDigest(const QString& folder) {
  test::Digest digest;
  const QStringList names = QDir(folder).entryList({"*.png"}, QDir::Files, QDir::Name);
  for (const QString& name : names) {
    const std::uint64_t d = pixelDigest(QDir(folder).filePath(name));
    digest.add(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(&d), sizeof d));
  }
  return names.isEmpty() ? 0 : digest.value();
}

std::string hex(std::uint64_t v) { return test::Digest::hex(v); }

class GoldenTool : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    ASSERT_TRUE(paintedPicture().save(path("painted.png")));
    // Five frames of the painted picture with the crawl, then recordings of them with noise: at
    // 9600 Hz (every fifth sample kept), at 48000 Hz, and at 44100 Hz (resampled), the last two
    // taken down to the receiver's rate by the tool.
    const auto run = test::runTool({"encode", path("painted.png"), "-o", path("sent.wav"),
                                    "--frames", "5", "--crawl", "CQ CQ de MOSAIC TV"});
    ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const auto sent = test::readWav(path("sent.wav")).samples;
    ASSERT_EQ(sent.size(), 5u * 61440);
    std::uint32_t state = 7;
    auto noise = [&state] {
      int sum = 0;
      for (int i = 0; i < 4; ++i)
        sum += static_cast<int>((state = state * 1664525u + 1013904223u) >> 21) - 1024;
      return sum / 2;
    };
    std::vector<std::int16_t> slow(sent.size() / 5);
    for (std::size_t n = 0; n < slow.size(); ++n)
      slow[n] = static_cast<std::int16_t>(sent[5 * n + 3] / 2 + noise());
    ASSERT_TRUE(test::writeWav(path("heard-9600.wav"), slow, 9600));
    std::vector<std::int16_t> at48000(sent.size()), at44100;
    for (std::size_t n = 0; n < at48000.size(); ++n)
      at48000[n] = static_cast<std::int16_t>(sent[n] / 2 + noise());
    ASSERT_TRUE(test::writeWav(path("heard-48000.wav"), at48000, 48000));
    const std::vector<float> heard(at48000.begin(), at48000.end());
    Resampler resampler(48000, 44100);
    std::string error;
    ASSERT_TRUE(resampler.convert(heard.data(), heard.size(), true, at44100, error)) << error;
    ASSERT_TRUE(test::writeWav(path("heard-44100.wav"), at44100, 44100));
  }
  static void TearDownTestSuite() { delete dir_; }

  static QString path(const QString& name) { return dir_->filePath(name); }

  static QTemporaryDir* dir_;
};
QTemporaryDir* GoldenTool::dir_ = nullptr;

TEST_F(GoldenTool, EncodedFramesWithTheCrawlAreTheRecordedOnes) {
  struct Case {
    const char* name;
    QImage picture;
    QStringList options;
    std::uint64_t digest;
  };
  const Case cases[] = {
      {"painted",
       paintedPicture(),
       {"--frames", "3", "--crawl", "CQ CQ de MOSAIC TV"},
       0x518cfd9bbfce1361},
      {"painted, no crawl", paintedPicture(), {"--frames", "1"}, 0xfd8778c1f4cfc471},
      {"noise, scaled",
       noisePicture(320, 240),
       {"--frames", "3", "--crawl", "0123456789 abc XYZ"},
       0x70da2769efd45569},
      {"grey, scaled",
       uniformPicture(QColor(128, 128, 128), 200, 150),
       {"--frames", "2", "--crawl", "grey"},
       0xf5905a05d1269ae1},
      {"white",
       uniformPicture(Qt::white, 160, 128),
       {"--frames", "2", "--crawl", "white"},
       0x425c9558c08050b9},
      {"dark red, enlarged",
       uniformPicture(QColor(90, 3, 17), 40, 30),
       {"--frames", "1", "--crawl", "red"},
       0xce4b3da8e080cefd},
  };
  for (const Case& c : cases) {
    const QString picture = path(QString("in-%1.png").arg(c.name).replace(' ', '_'));
    const QString wav = path("encoded.wav");
    ASSERT_TRUE(c.picture.save(picture));
    const auto run = test::runTool(QStringList{"encode", picture, "-o", wav} + c.options);
    ASSERT_EQ(run.exitCode, 0) << c.name << ": " << run.standardError.toStdString();
    EXPECT_EQ(hex(soundDigest(wav)), hex(c.digest)) << c.name;
  }
}

// A video file of raw 4:2:0 pictures (luminance ramps and colour waves that move from picture
// to picture) through FFmpeg's reader and the one conversion to RGB.
TEST_F(GoldenTool, EncodedFramesOfAVideoFileAreTheRecordedOnes) {
  constexpr int kWidth = 96, kHeight = 72, kPictures = 4;
  QFile video(path("ramps.y4m"));
  ASSERT_TRUE(video.open(QIODevice::WriteOnly));
  video.write(QByteArray("YUV4MPEG2 W96 H72 F25:1 Ip A1:1 C420jpeg\n"));
  for (int p = 0; p < kPictures; ++p) {
    QByteArray planes("FRAME\n");
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) planes.append(char((x * 4 + y * 3 + p * 20) % 240));
    for (int plane = 0; plane < 2; ++plane)
      for (int y = 0; y < kHeight / 2; ++y)
        for (int x = 0; x < kWidth / 2; ++x)
          planes.append(char(16 + (x * (plane ? 3 : 9) + y * (plane ? 11 : 5) + p * 7) % 225));
    video.write(planes);
  }
  video.close();
  const auto run = test::runTool(
      {"encode", path("ramps.y4m"), "-o", path("video.wav"), "--frames", "3", "--crawl", "VIDEO"});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  EXPECT_EQ(hex(soundDigest(path("video.wav"))), "0xf19a721ce1fb2765");
}

TEST_F(GoldenTool, DecodedPicturesAndMoviesAreTheRecordedOnes) {
  struct Case {
    const char* name;
    QString recording;
    QStringList options;
    std::uint64_t picture, frames, movie;
  };
  const Case cases[] = {
      {"defaults",
       "heard-9600.wav",
       {},
       0xb0b492f51bc02d08,
       0xe1ecd1e52cf189b6,
       0xcc0f86568b0040f8},
      {"tuned, balance, levels, medium filter, horizontal",
       "heard-9600.wav",
       {"--coarse", "2.3", "--fine", "-0.44", "--balance", "-20", "--brightness", "30",
        "--contrast", "210", "--saturation", "300", "--noise-filter", "medium", "--hfilter"},
       0x3674012ae7d9b55a,
       0xce0107c09f89e12d,
       0xc00e7538cb555be7},
      {"no half pixel, vertical",
       "heard-9600.wav",
       {"--no-half-pixel", "--vinterp", "--coarse", "-7.1"},
       0x2323eab92bafc776,
       0xa919a902f75926c4,
       0xda74c1def78a8b16},
      {"large, heavy filter",
       "heard-9600.wav",
       {"--large", "--noise-filter", "heavy", "--fine", "3.98"},
       0x358edf0f1e834ee6,
       0x43f80e6df5e1a45d,
       0x198d5f1c21cca10e},
      {"aligned",
       "heard-9600.wav",
       {"--aligned", "--scale", "3"},
       0xcb12a80ba728f4e6,
       0xac5f9f3025e54542,
       0xcc0f86568b0040f8},
      {"aligned, tuned automatically",
       "heard-9600.wav",
       {"--aligned", "--auto-tune"},
       0x2c44a09d2dd53cc5,
       0x0f25b75c75841390,
       0xcc0f86568b0040f8},
      {"48000 Hz",
       "heard-48000.wav",
       {},
       0xa809b158d631465d,
       0x9017ae4e6d26406a,
       0xfa5c0b39449cdf47},
      {"48000 Hz, tuned, medium filter",
       "heard-48000.wav",
       {"--coarse", "1.3", "--fine", "-0.22", "--noise-filter", "medium"},
       0x631fe310a88f25f6,
       0x4a3b543c95a117da,
       0xc4e48e23b0b49c92},
      {"44100 Hz",
       "heard-44100.wav",
       {},
       0x4ffc4fc3481c133b,
       0x6bf0c8a8cd36b2e9,
       0x4736b7a67c52da9b},
      {"44100 Hz, aligned, tuned automatically",
       "heard-44100.wav",
       {"--aligned", "--auto-tune"},
       0x8fdd830f28d14d35,
       0xd54c0283725f4190,
       0x666b0cc687f03ef1},
  };
  for (const Case& c : cases) {
    const QString picture = path("decoded.png"), movie = path("decoded.49");
    QDir(path("frames")).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(path("frames")));
    const auto run = test::runTool(QStringList{"decode", path(c.recording), "-o", picture,
                                               "--frames-dir", path("frames"), "--movie", movie} +
                                   c.options);
    ASSERT_EQ(run.exitCode, 0) << c.name << ": " << run.standardError.toStdString();
    EXPECT_EQ(hex(pixelDigest(picture)), hex(c.picture)) << c.name;
    EXPECT_EQ(hex(folderDigest(path("frames"))), hex(c.frames)) << c.name;
    EXPECT_EQ(hex(fileDigest(movie)), hex(c.movie)) << c.name;
  }
}

TEST_F(GoldenTool, ReplayedMoviePicturesAreTheRecordedOnes) {
  const QString movie = path("replayed.49");
  auto run = test::runTool({"decode", path("heard-9600.wav"), "--movie", movie});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  struct Case {
    const char* name;
    QStringList options;
    std::uint64_t frames;
  };
  const Case cases[] = {
      {"defaults", {}, 0x423cb6ef90833d67},
      {"levels, light filter, large",
       {"--brightness", "11", "--contrast", "99", "--saturation", "77", "--noise-filter", "light",
        "--large"},
       0x041556931f312488},
  };
  for (const Case& c : cases) {
    QDir(path("replay")).removeRecursively();
    run = test::runTool(QStringList{"play", movie, "-o", path("replay")} + c.options);
    ASSERT_EQ(run.exitCode, 0) << c.name << ": " << run.standardError.toStdString();
    EXPECT_EQ(hex(folderDigest(path("replay"))), hex(c.frames)) << c.name;
  }
}

}  // namespace
}  // namespace mosaic
