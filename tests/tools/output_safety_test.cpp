// What the tool writes cannot hurt the user: outputs appear whole or not at all, through
// temporary files nobody can predict, on a full disk too; nothing but a regular file is ever
// replaced; an output that is empty, the input itself or of the wrong kind is a wrong argument.

#include "tests/support/small_disk.h"
#include "tool_runner.h"
#include "tools/pending_file.h"
#include "tools/sound_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

namespace mosaic {
namespace {

namespace fs = std::filesystem;
using test::runTool;
using tool::PendingFile;
using tool::WavWriter;

// A folder with a picture, its sound and the movie file decoded from it, made once.
struct Inputs {
  QTemporaryDir dir;
  QString picture, sound, movie;
  Inputs() {
    picture = dir.filePath("picture.png");
    sound = dir.filePath("sound.wav");
    movie = dir.filePath("movie.49");
    QImage img(160, 128, QImage::Format_RGB888);
    img.fill(QColor(200, 40, 90));
    img.save(picture);
    runTool({"encode", picture, "-o", sound, "--frames", "3"});
    runTool({"decode", sound, "--movie", movie});
  }
};

const Inputs& inputs() {
  static const Inputs* made = new Inputs;
  return *made;
}

QStringList namesIn(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

TEST(OutputSafety, TemporaryFilesAreUnpredictableAndRemovedWhenTheToolIsInterrupted) {
  QTemporaryDir dir;
  PendingFile a(dir.filePath("out.wav").toStdString()), b(dir.filePath("out.wav").toStdString());
  std::string error;
  ASSERT_TRUE(a.open(error) && b.open(error)) << error;
  EXPECT_NE(a.tempPath(), b.tempPath());
  EXPECT_EQ(a.tempPath().find(std::to_string(::getpid())), std::string::npos);
  EXPECT_EQ(fs::path(a.tempPath()).parent_path(), fs::path(dir.path().toStdString()));

  for (int signal : {SIGTERM, SIGINT}) {
    QProcess encode;
    encode.start(QStringLiteral(MOSAIC_TOOL_PATH),
                 {"encode", inputs().picture, "-o", dir.filePath("big.wav"), "--frames", "5000"});
    ASSERT_TRUE(encode.waitForStarted());
    for (int i = 0; i < 500 && namesIn(dir.path()).filter(".big.wav.").isEmpty(); ++i)
      QThread::msleep(10);
    ASSERT_EQ(namesIn(dir.path()).filter(".big.wav.").size(), 1)
        << namesIn(dir.path()).join(' ').toStdString();
    ::kill(static_cast<pid_t>(encode.processId()), signal);
    ASSERT_TRUE(encode.waitForFinished(10000));
    EXPECT_EQ(encode.exitStatus(), QProcess::CrashExit);  // ended by the signal, as before
    EXPECT_TRUE(namesIn(dir.path()).filter("big.wav").isEmpty()) << signal;
  }
}

TEST(OutputSafety, OnlyRegularFilesAreReplacedAndALinkIsFollowedToItsFile) {
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  ASSERT_EQ(::mkfifo((d + "/fifo.wav").c_str(), 0600), 0);
  fs::create_directory(d + "/folder.wav");
  fs::create_symlink(d + "/nowhere.wav", d + "/dangling.wav");
  for (const std::string& target :
       {d + "/fifo.wav", d + "/folder.wav", std::string("/dev/null"), d + "/dangling.wav"}) {
    const auto run = runTool({"encode", inputs().picture, "-o", QString::fromStdString(target)});
    EXPECT_EQ(run.exitCode, 2) << target << run.standardError.toStdString();
  }
  EXPECT_TRUE(fs::is_fifo(d + "/fifo.wav"));
  EXPECT_TRUE(fs::is_directory(d + "/folder.wav"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_FALSE(fs::exists(d + "/nowhere.wav"));
  // The same for a movie file and a picture.
  EXPECT_EQ(runTool({"decode", inputs().sound, "--movie", "/dev/null"}).exitCode, 2);
  EXPECT_EQ(runTool({"decode", inputs().sound, "-o", dir.filePath("folder.wav")}).exitCode, 2);

  // A link to a regular file: the file it leads to gets the output, the link stays a link.
  std::ofstream(d + "/target.wav") << "old";
  fs::create_symlink(d + "/target.wav", d + "/link.wav");
  ASSERT_EQ(runTool({"encode", inputs().picture, "-o", dir.filePath("link.wav")}).exitCode, 0);
  EXPECT_TRUE(fs::is_symlink(d + "/link.wav"));
  EXPECT_GT(fs::file_size(d + "/target.wav"), 100000u);
}

TEST(OutputSafety, OnAFullDiskEveryOutputFailsWithStatus1AndLeavesNothing) {
  testing::SmallDisk disk("256k");
  if (!disk.mounted()) GTEST_SKIP() << "no small file system can be mounted here";
  disk.fillLeaving(0);
  const auto in = [&](const char* name) { return QString::fromStdString(disk.file(name)); };
  const std::vector<QStringList> commands = {
      {"encode", inputs().picture, "-o", in("sent.wav")},
      {"channel", inputs().sound, "-o", in("heard.wav"), "--snr", "20"},
      {"decode", inputs().sound, "-o", in("picture.png")},
      {"decode", inputs().sound, "--movie", in("movie.49")},
      {"decode", inputs().sound, "--frames-dir", in("frames")},
      {"play", inputs().movie, "-o", in("video.mp4")},
      {"play", inputs().movie, "-o", in("pictures")},
  };
  for (const auto& command : commands) {
    const auto run = runTool(command);
    EXPECT_EQ(run.exitCode, 1) << command.join(' ').toStdString() << "\n"
                               << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.contains("No space left") ||
                run.standardError.contains("Input/output error"))
        << run.standardError.toStdString();
  }
  // Only the filler and the two picture folders (each without a picture that was cut off).
  for (const QString& name : namesIn(QString::fromStdString(disk.path())))
    EXPECT_TRUE(name == ".filler" || name == "frames" || name == "pictures") << name.toStdString();
  for (const char* folder : {"frames", "pictures"})
    for (const QString& name : namesIn(in(folder))) {
      EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
      EXPECT_FALSE(QImage(in(folder) + "/" + name).isNull()) << name.toStdString();
    }
}

TEST(OutputSafety, EmptyPathsTheInputItselfAndUnknownSuffixesAreWrongArguments) {
  QTemporaryDir dir;
  const QString out = dir.filePath("out");
  for (const QStringList& command : std::vector<QStringList>{
           {"encode", inputs().picture, "-o", ""},
           {"channel", inputs().sound, "-o", ""},
           {"decode", inputs().sound, "-o", ""},
           {"decode", inputs().sound, "--movie", ""},
           {"decode", inputs().sound, "--frames-dir", ""},
           {"play", inputs().movie, "-o", ""},
           {"demo", "-o", ""},
       }) {
    EXPECT_EQ(runTool(command).exitCode, 2) << command.join(' ').toStdString();
  }
  // An output that is the input, also under another name.
  const QFileInfo before(inputs().sound);
  const auto self = runTool({"decode", inputs().sound, "--movie", inputs().sound});
  EXPECT_EQ(self.exitCode, 2);
  EXPECT_TRUE(self.standardError.contains("input")) << self.standardError.toStdString();
  QFile::link(inputs().sound, dir.filePath("alias.wav"));
  EXPECT_EQ(runTool({"channel", inputs().sound, "-o", dir.filePath("alias.wav")}).exitCode, 2);
  EXPECT_EQ(QFileInfo(inputs().sound).size(), before.size());
  EXPECT_EQ(QFileInfo(inputs().sound).lastModified(), before.lastModified());

  // play chooses by the suffix and says which it takes.
  const auto png = runTool({"play", inputs().movie, "-o", dir.filePath("x.png")});
  EXPECT_EQ(png.exitCode, 2);
  EXPECT_TRUE(png.standardError.contains(".mp4")) << png.standardError.toStdString();
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("x.png")));
  ASSERT_EQ(runTool({"play", inputs().movie, "-o", dir.filePath("pictures")}).exitCode, 0);
  EXPECT_TRUE(QFileInfo(dir.filePath("pictures")).isDir());
}

TEST(OutputSafety, SoundBeyondWhatAWavHeaderCountsIsWrittenAsRf64) {
  QTemporaryDir dir;
  const auto header = [](const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(4) : QByteArray();
  };
  const std::int16_t samples[4] = {1, -2, 3, -4};
  std::string error;
  for (const long long expected : {0LL, WavWriter::kMaxWavSamples + 1}) {
    const QString path = dir.filePath(QString("s%1.wav").arg(expected));
    WavWriter wav(path.toStdString(), 48000, expected);
    ASSERT_TRUE(wav.open(error) && wav.write(samples, 4, error) && wav.finish(error)) << error;
    EXPECT_EQ(header(path), expected > WavWriter::kMaxWavSamples ? "RF64" : "RIFF");
  }
}

}  // namespace
}  // namespace mosaic
