// "Open recording..." in the receiver window: a recording plays through the receiver at its own
// pace and leaves on screen the picture `mosaic decode -o` makes of it, while the live input waits;
// a file that cannot be read says so in the window, and the live input goes on.

#include "tests/receiver_app/receiver_rig.h"
#include "tests/support/air_signal.h"
#include "tests/support/event_loop.h"
#include "tests/support/wav_files.h"
#include "tests/tools/tool_runner.h"

#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

namespace mosaic {
namespace {

using namespace rx;
using test::ReceiverRig;

constexpr int kBufferMs = 1280;

bool playing(const ReceiverRig& rig) {
  return rig.window.menuAction(kOpenRecordingId)->isChecked();
}

// Whether a live buffer reaches the engine now.
bool liveInputReceived(ReceiverRig& rig) {
  const int before = rig.window.engine().runs();
  rig.receive(std::vector<std::int16_t>(kCaptureSamples, 100));
  return rig.window.engine().runs() == before + 1;
}

TEST(OpenRecording, PlaysAtItsOwnPaceToThePictureThatDecodeMakesThenTheLiveInputIsBack) {
  QTemporaryDir dir;
  const QString wav = dir.filePath(QStringLiteral("heard.wav"));
  test::writeSentWav(wav, test::sentTestCard(4));  // 48000 Hz: resampled on the way
  const QString png = dir.filePath(QStringLiteral("decoded.png"));
  const auto run = test::runTool({"decode", wav, "-o", png});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  const QImage decoded = QImage(png).convertToFormat(QImage::Format_RGB888);

  ReceiverRig rig;
  rig.window.show();
  rig.dialogAnswers.push_back(wav);
  const auto started = std::chrono::steady_clock::now();
  rig.menu(kOpenRecordingId);
  ASSERT_TRUE(playing(rig));
  EXPECT_FALSE(liveInputReceived(rig)) << "the live input waits while the recording plays";

  ASSERT_TRUE(test::runUntil([&] { return !playing(rig); }, 8 * kBufferMs));
  const auto took = std::chrono::steady_clock::now() - started;
  ASSERT_EQ(rig.window.engine().runs(), 4);
  // Four buffers at 1.28 s each, and the end found at the tick after the last.
  EXPECT_GE(took, std::chrono::milliseconds(4 * kBufferMs));
  EXPECT_EQ(rig.window.pictureView()->grab().toImage().convertToFormat(QImage::Format_RGB888),
            decoded);
  EXPECT_EQ(test::openBoxTitled(QStringLiteral("Open recording")), nullptr);
  EXPECT_TRUE(liveInputReceived(rig)) << "the live input is back";
}

TEST(OpenRecording, AFileThatGivesNoPictureIsToldInTheWindowAndTheLiveInputGoesOn) {
  QTemporaryDir dir;
  const QString notSound = dir.filePath(QStringLiteral("notes.wav"));
  QFile file(notSound);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("these are notes, not sound");
  file.close();
  const QString tooShort = dir.filePath(QStringLiteral("short.wav"));
  ASSERT_TRUE(test::writeWav(tooShort, std::vector<std::int16_t>(kCaptureSamples - 1), 9600, 1));

  struct Case {
    QString path;
    QString saying;
  };
  for (const Case& c : {Case{notSound, QStringLiteral("cannot read")},
                        Case{tooShort, QStringLiteral("less than 1.28 s")}}) {
    ReceiverRig rig;
    rig.dialogAnswers.push_back(c.path);
    rig.menu(kOpenRecordingId);
    QWidget* box = nullptr;
    ASSERT_TRUE(test::runUntil(
        [&] { return (box = test::openBoxTitled(QStringLiteral("Open recording"))) != nullptr; },
        4 * kBufferMs))
        << c.path.toStdString();
    const QString said = qobject_cast<QMessageBox*>(box)->text();
    EXPECT_TRUE(said.contains(c.path) && said.contains(c.saying)) << said.toStdString();
    box->close();
    EXPECT_FALSE(playing(rig));
    EXPECT_EQ(rig.window.engine().runs(), 0);
    EXPECT_TRUE(liveInputReceived(rig));
  }
}

TEST(OpenRecording, TheMenuItemAgainGoesBackToTheLiveInputAndCancellingStartsNothing) {
  QTemporaryDir dir;
  const QString wav = dir.filePath(QStringLiteral("long.wav"));
  test::writeSentWav(wav, test::sentTestCard(6));

  ReceiverRig rig;
  rig.dialogAnswers.push_back(wav);
  rig.menu(kOpenRecordingId);
  test::runFor(kBufferMs + 300);
  EXPECT_EQ(rig.window.engine().runs(), 1);
  rig.menu(kOpenRecordingId);
  EXPECT_FALSE(playing(rig));
  EXPECT_EQ(rig.dialogs, 1) << "stopping asks for no file";
  EXPECT_TRUE(liveInputReceived(rig));
  test::runFor(kBufferMs + 300);
  EXPECT_EQ(rig.window.engine().runs(), 2) << "nothing more of the recording";

  rig.menu(kOpenRecordingId);  // cancelled
  EXPECT_EQ(rig.dialogs, 2);
  EXPECT_FALSE(playing(rig));
  EXPECT_TRUE(liveInputReceived(rig));
}

}  // namespace
}  // namespace mosaic
