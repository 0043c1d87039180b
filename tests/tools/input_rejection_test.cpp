// Inputs that cannot hurt the user: pictures that cannot be read or are too large, movie files
// that are folders or devices, recordings with damaged samples or impossible rates, and
// standard input end with a message and a status, never with a crash or a wrong success. The
// windowed programs answer --help and --version before they open anything.

#include "tests/support/wav_files.h"
#include "tool_runner.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <limits>
#include <vector>

namespace mosaic {
namespace {

using test::runTool;
using test::writeFloatWav;

// A PNG whose header says `width` x `height`, with the header's checksum mended so that only
// the size lies.
QByteArray pngClaiming(int width, int height) {
  QImage img(8, 8, QImage::Format_RGB888);
  img.fill(Qt::green);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  // Signature (8), IHDR length (4), "IHDR" (4), width (4), height (4), ... ; CRC after 13 bytes.
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<char>((width >> (24 - 8 * i)) & 0xFF);
    png[20 + i] = static_cast<char>((height >> (24 - 8 * i)) & 0xFF);
  }
  std::uint32_t crc = 0xFFFFFFFFu;
  for (int i = 12; i < 12 + 4 + 13; ++i) {
    crc ^= static_cast<unsigned char>(png[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc ^= 0xFFFFFFFFu;
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<char>((crc >> (24 - 8 * i)) & 0xFF);
  return png;
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

TEST(InputRejection, PicturesThatCannotBeReadOrAreTooLargeEndWithStatus1NamingTheFile) {
  QTemporaryDir dir;
  const QByteArray good = pngClaiming(8, 8);
  writeFile(dir.filePath("cut.png"), good.left(good.size() / 2));
  writeFile(dir.filePath("huge.png"), pngClaiming(16000, 16000));
  writeFile(dir.filePath("wide.png"), pngClaiming(30000, 20));
  for (const char* name : {"cut.png", "huge.png", "wide.png"}) {
    const QString out = dir.filePath(QString(name) + ".wav");
    const auto run = runTool({"encode", dir.filePath(name), "-o", out}, 20000);
    EXPECT_EQ(run.exitCode, 1) << name << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.contains(name)) << run.standardError.toStdString();
    EXPECT_FALSE(QFile::exists(out));
  }
  const auto huge = runTool({"encode", dir.filePath("huge.png"), "-o", dir.filePath("h.wav")});
  EXPECT_TRUE(huge.standardError.contains("16000 x 16000")) << huge.standardError.toStdString();
  // The largest accepted size still goes through.
  writeFile(dir.filePath("ok.png"), pngClaiming(8, 8));
  EXPECT_EQ(runTool({"encode", dir.filePath("ok.png"), "-o", dir.filePath("ok.wav")}).exitCode, 0);
}

TEST(InputRejection, MovieFilesThatAreFoldersOrDevicesEndWithStatus1) {
  QTemporaryDir dir;
  ASSERT_EQ(::mkfifo(dir.filePath("fifo.49").toStdString().c_str(), 0600), 0);
  for (const QString& movie : {dir.path(), QStringLiteral("/dev/zero"), dir.filePath("fifo.49")}) {
    const auto run = runTool({"play", movie, "-o", dir.filePath("out")}, 20000);
    EXPECT_EQ(run.exitCode, 1) << movie.toStdString() << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.contains(movie)) << run.standardError.toStdString();
  }
}

TEST(InputRejection, RecordingsWithSamplesThatAreNotNumbersEndWithStatus1NamingTheFirst) {
  QTemporaryDir dir;
  std::vector<float> samples(48000, 0.25f);
  samples[1234] = std::numeric_limits<float>::quiet_NaN();
  samples[2000] = std::numeric_limits<float>::infinity();
  const QString wav = dir.filePath("nan.wav");
  ASSERT_TRUE(writeFloatWav(wav, samples, 48000));
  for (const QStringList& command :
       {QStringList{"channel", wav, "-o", dir.filePath("out.wav")},
        QStringList{"decode", wav, "--movie", dir.filePath("out.49")}}) {
    const auto run = runTool(command);
    EXPECT_EQ(run.exitCode, 1) << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.contains("sample 1235")) << run.standardError.toStdString();
  }
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() == 1);
}

TEST(InputRejection, SampleRatesOutsideTheRangeAreRefusedBeforeAnyWork) {
  QTemporaryDir dir;
  for (int rate : {1, 3999, 768001}) {
    const QString wav = dir.filePath(QString("r%1.wav").arg(rate));
    ASSERT_TRUE(writeFloatWav(wav, std::vector<float>(100, 0.1f), rate));
    for (const char* command : {"channel", "decode"}) {
      const auto run = runTool({command, wav, "-o", dir.filePath("out.wav")}, 20000);
      EXPECT_EQ(run.exitCode, 1) << command << " " << rate;
      EXPECT_TRUE(run.standardError.contains("4000 to 768000 Hz"))
          << run.standardError.toStdString();
    }
  }
}

TEST(InputRejection, EveryCommandEndsItsArgumentsTheSameWay) {
  QTemporaryDir dir;
  const QString out = dir.filePath("out.wav"), in = dir.filePath("in.wav");
  for (const char* command : {"encode", "channel", "decode", "play"}) {
    const auto dash = runTool({command, "-", "-o", out});
    EXPECT_EQ(dash.exitCode, 2) << command;
    EXPECT_TRUE(dash.standardError.contains("standard input")) << dash.standardError.toStdString();
    const auto unknown = runTool({command, in, "-o", out, "--colour"});
    EXPECT_EQ(unknown.exitCode, 2) << command;
    EXPECT_TRUE(unknown.standardError.contains("unknown option --colour")) << command;
    const auto two = runTool({command, in, in, "-o", out});
    EXPECT_EQ(two.exitCode, 2) << command;
    EXPECT_TRUE(two.standardError.contains("more than one input")) << command;
    const auto missing = runTool({command, in, "-o"});
    EXPECT_EQ(missing.exitCode, 2) << command;
    EXPECT_TRUE(missing.standardError.contains("-o needs a value")) << command;
  }
}

TEST(InputRejection, WindowedProgramsAnswerHelpAndVersionBeforeOpeningAnything) {
  // No display at all: a program that built its window here would fail.
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("DISPLAY"));
  environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  for (const char* program : {MOSAICCAST_PATH, MOSAICVIEW_PATH, PTTSWITCH_PATH}) {
    const QString path = QString::fromUtf8(program);
    const QString name = QFileInfo(path).fileName();
    const auto help = test::runProgram(path, {"--help"}, environment, 20000);
    EXPECT_EQ(help.exitCode, 0) << program;
    EXPECT_TRUE(help.standardOutput.startsWith("usage: " + name + " [--defaults]"))
        << help.standardOutput.toStdString();
    const auto version = test::runProgram(path, {"--version"}, environment, 20000);
    EXPECT_EQ(version.exitCode, 0) << program;
    EXPECT_TRUE(version.standardOutput.startsWith(name + " ")) << program;
    const auto unknown = test::runProgram(path, {"--on-the-air"}, environment, 20000);
    EXPECT_EQ(unknown.exitCode, 2) << program;
    EXPECT_TRUE(unknown.standardError.contains("--on-the-air")) << program;
  }
}

}  // namespace
}  // namespace mosaic
