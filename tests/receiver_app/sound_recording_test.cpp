// "Record sound..." in the receiver window: the input, buffer by buffer, ends up in the WAV file
// the user named, sample for sample, and nothing else in its folder; a disk that fills up ends
// the recording with what fitted, kept under the chosen name, and the window says so.

#include "tests/receiver_app/receiver_rig.h"
#include "tests/support/small_disk.h"
#include "tests/support/wav_files.h"

#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <numeric>

namespace mosaic {
namespace {

using namespace rx;
using test::ReceiverRig;

// A buffer whose samples count up from `first`, so that a lost or repeated one shows.
std::vector<std::int16_t> countingBuffer(int first) {
  std::vector<std::int16_t> buffer(kCaptureSamples);
  for (std::size_t i = 0; i < buffer.size(); ++i)
    buffer[i] = static_cast<std::int16_t>((first + static_cast<int>(i)) % 30000);
  return buffer;
}

TEST(RecordSound, TheInputGoesIntoTheChosenFileSampleForSample) {
  ReceiverRig rig;
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("heard.wav"));
  rig.dialogAnswers.push_back(path);
  rig.menu(kRecordSoundId);
  EXPECT_TRUE(rig.window.menuAction(kRecordSoundId)->isChecked());
  std::vector<std::int16_t> sent;
  for (int b = 0; b < 3; ++b) {
    const auto buffer = countingBuffer(b * 7000);
    ASSERT_TRUE(rig.receive(buffer));
    sent.insert(sent.end(), buffer.begin(), buffer.end());
  }
  EXPECT_FALSE(QFileInfo::exists(path)) << "the name is taken only at the end";
  rig.menu(kRecordSoundId);
  EXPECT_FALSE(rig.window.menuAction(kRecordSoundId)->isChecked());
  rig.receive(countingBuffer(99));  // after the end: not recorded

  const test::WavSound heard = test::readWav(path);
  EXPECT_EQ(heard.rateHz, kRxSampleRateHz);
  EXPECT_EQ(heard.channels, 1);
  EXPECT_EQ(heard.samples, sent);
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList(QStringLiteral("heard.wav")));

  // Cancelled: nothing starts.
  rig.menu(kRecordSoundId);
  EXPECT_FALSE(rig.window.menuAction(kRecordSoundId)->isChecked());
}

TEST(RecordSound, AFullDiskKeepsWhatFittedAndTheWindowSaysSo) {
  testing::SmallDisk disk("64k");
  if (!disk.mounted()) GTEST_SKIP() << "a small file system needs root";
  ReceiverRig rig;
  const QString path = QString::fromStdString(disk.file("heard.wav"));
  rig.dialogAnswers.push_back(path);
  rig.menu(kRecordSoundId);
  std::vector<std::int16_t> sent;
  for (int b = 0; b < 5 && rig.window.menuAction(kRecordSoundId)->isChecked(); ++b) {
    const auto buffer = countingBuffer(b * 7000);
    rig.receive(buffer);
    sent.insert(sent.end(), buffer.begin(), buffer.end());
  }
  EXPECT_FALSE(rig.window.menuAction(kRecordSoundId)->isChecked()) << "ended by the full disk";
  QWidget* box = test::openBoxTitled(QStringLiteral("Record sound"));
  ASSERT_NE(box, nullptr);
  const QString said = qobject_cast<QMessageBox*>(box)->text();
  EXPECT_TRUE(said.contains(QStringLiteral("No space left"))) << said.toStdString();
  EXPECT_TRUE(said.contains(QStringLiteral("keeps the first"))) << said.toStdString();
  box->close();

  // What fitted is there, whole samples, with a header that tells its length.
  const test::WavSound heard = test::readWav(path);
  ASSERT_GT(heard.samples.size(), std::size_t{kCaptureSamples});
  ASSERT_LT(heard.samples.size(), sent.size());
  EXPECT_TRUE(std::equal(heard.samples.begin(), heard.samples.end(), sent.begin()));
  EXPECT_EQ(QFileInfo(path).size(), 44 + 2 * static_cast<qint64>(heard.samples.size()));
  EXPECT_EQ(QDir(QString::fromStdString(disk.path())).entryList(QDir::Files),
            QStringList(QStringLiteral("heard.wav")));
}

}  // namespace
}  // namespace mosaic
