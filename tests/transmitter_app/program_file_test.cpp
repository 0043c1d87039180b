// The program given a video file on its command line, as a file manager or a shell starts it:
// it opens the file (and so remembers it at the end); a file it cannot show is reported in a
// message box, and a signal still ends the program with the box open; --help names the file
// and a second file is refused.

#include "test_video.h"
#include "tests/support/program_run.h"
#include "tests/tools/tool_runner.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace mosaic::test {
namespace {

const QString kProgram = QStringLiteral(MOSAICCAST_PATH);

// The video file that the run under `configHome` remembers.
QString rememberedFile(const QString& configHome) {
  return QSettings(configHome + QStringLiteral("/mosaictv/mosaiccast.conf"), QSettings::IniFormat)
      .value(QStringLiteral("video/file"))
      .toString();
}

// Runs the program on `file` until a signal ends it, playing into no sound server (the tests
// that record the server's sound may be running).
void runOn(const QString& file, const QString& configHome) {
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("PULSE_SERVER"), configHome + QStringLiteral("/no-server"));
  // Long enough for the file to be opened and, when it cannot be, for its message box to show.
  runAndTerminate(kProgram, {file}, configHome, 1500, environment);
}

TEST(ProgramFile, OpensTheFileOnItsCommandLineAndReportsOneItCannotShow) {
  QTemporaryDir dir;
  const QString clip = dir.filePath(QStringLiteral("clip.avi"));
  TestVideo video;
  video.frames = 5;
  ASSERT_TRUE(writeTestVideo(clip.toStdString(), video));

  // Named relative to the folder the program starts in.
  QTemporaryDir first;
  runOn(QDir::current().relativeFilePath(clip), first.path());
  EXPECT_EQ(rememberedFile(first.path()), clip);

  QTemporaryDir second;
  const QString missing = dir.filePath(QStringLiteral("missing.avi"));
  runOn(missing, second.path());
  EXPECT_EQ(rememberedFile(second.path()), missing);
}

TEST(ProgramFile, HelpNamesTheFileAndASecondOneIsRefused) {
  const auto help = runProgram(kProgram, {QStringLiteral("--help")});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.standardOutput.startsWith(
      "usage: mosaiccast [--defaults] [--help] [--version] [FILE]\n"))
      << help.standardOutput.toStdString();
  EXPECT_TRUE(help.standardOutput.contains("FILE, a video file, is opened at start-up"));
  const auto two = runProgram(kProgram, {QStringLiteral("a.avi"), QStringLiteral("b.avi")});
  EXPECT_EQ(two.exitCode, 2);
  EXPECT_TRUE(two.standardError.contains("more than one FILE: b.avi"))
      << two.standardError.toStdString();
  // After "--" a name that starts with a dash is a file, not an option.
  const auto dashed = runProgram(
      kProgram, {QStringLiteral("--"), QStringLiteral("-clip.avi"), QStringLiteral("--help")});
  EXPECT_EQ(dashed.exitCode, 2);
  EXPECT_TRUE(dashed.standardError.contains("more than one FILE: --help"))
      << dashed.standardError.toStdString();
}

}  // namespace
}  // namespace mosaic::test
