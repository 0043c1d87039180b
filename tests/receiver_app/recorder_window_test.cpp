// The movie recorder as the window drives it: its buttons and "&Open", the save dialog, the
// counter label, the file it writes from received buffers, and what happens to frames and
// reports when files fail or the program ends.

#include "receiver/app/receiver_services.h"
#include "receiver/core/movie/disk_movie_files.h"
#include "receiver/core/receiver_engine.h"
#include "tests/receiver/test_signals.h"
#include "tests/receiver_app/receiver_rig.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

namespace mosaic {
namespace {

using namespace rx;
using test::ReceiverRig;

// Four different buffers of a picture-like signal.
const std::vector<std::int16_t>& fourBuffers() {
  static const auto audio = testing::steppedCarriers(
      4 * kCaptureSamples, testing::allCarriers(),
      [](int k, int s) { return 3.5 + 3.0 * std::sin(0.3 * k + 0.17 * s) + (k < 30 ? 0.5 : 0.0); },
      60, 0.0, 1200.0, 200.0, 5);
  return audio;
}

std::vector<std::int16_t> buffer(int n) {
  const auto& audio = fourBuffers();
  const auto at = static_cast<std::ptrdiff_t>((n % 4) * kCaptureSamples);
  return std::vector<std::int16_t>(audio.begin() + at, audio.begin() + at + kCaptureSamples);
}

// The movie frames that the receiver engine gives for buffers 0..count-1 under `demod`.
std::vector<std::uint8_t> chainMovie(int count, const DemodSettings& demod) {
  ReceiverEngine engine(pictureSettings(demod));
  std::vector<std::uint8_t> movie;
  for (int n = 0; n < count; ++n) {
    const auto samples = buffer(n);
    engine.onBufferComplete(samples.data());
    movie.insert(movie.end(), engine.movieFrame().begin(), engine.movieFrame().end());
  }
  return movie;
}

struct RecorderButtons {
  bool open, close, save;
  const char* saveText;
};

void expectButtons(const ReceiverRig& rig, RecorderButtons e) {
  EXPECT_EQ(rig.button(kOpenFileId)->isEnabled(), e.open);
  EXPECT_EQ(rig.button(kCloseFileId)->isEnabled(), e.close);
  EXPECT_EQ(rig.button(kSaveId)->isEnabled(), e.save);
  EXPECT_EQ(rig.button(kSaveId)->text(), QString::fromLatin1(e.saveText));
}

TEST(RecorderWindow, TheOpenMenuAndTheButtonDoTheSame) {
  for (const bool byMenu : {false, true}) {
    ReceiverRig rig;
    auto open = [&] { byMenu ? rig.menu(kOpenFileId) : rig.button(kOpenFileId)->click(); };
    expectButtons(rig, {true, false, false, "Start save"});
    open();  // cancelled
    EXPECT_EQ(rig.dialogs, 1);
    expectButtons(rig, {true, false, false, "Start save"});
    EXPECT_EQ(rig.text(kCounterId), "0 frames saved");

    rig.dialogAnswers.push_back(QStringLiteral("a.49"));
    open();
    expectButtons(rig, {true, true, true, "Start save"});
    EXPECT_EQ(rig.text(kCounterId), "0 frames saved    0 bytes saved");
    rig.button(kSaveId)->click();
    expectButtons(rig, {true, true, true, "Pause save"});
    rig.receive(buffer(0));
    EXPECT_EQ(rig.text(kCounterId), "1 frames saved    7056 bytes saved");
    rig.button(kSaveId)->click();
    expectButtons(rig, {true, true, true, "Resume"});
    rig.receive(buffer(1));
    EXPECT_EQ(rig.text(kCounterId), "1 frames saved    7056 bytes saved");

    open();  // cancelled while a file is open: only "Close file" is left
    expectButtons(rig, {true, true, false, "Start save"});
    rig.button(kCloseFileId)->click();
    expectButtons(rig, {true, false, false, "Start save"});
    EXPECT_EQ(rig.memoryFiles.bytes("a.49").size(), 7056u);
    EXPECT_EQ(rig.text(kCounterId), "1 frames saved    7056 bytes saved");
  }
}

TEST(RecorderWindow, SavesTheSymbolsOfEveryBufferInBlocksAndTheRestAtClose) {
  ReceiverRig rig;
  rig.dialogAnswers.push_back(QStringLiteral("m.49"));
  rig.button(kOpenFileId)->click();
  rig.button(kSaveId)->click();
  for (int n = 0; n < 120; ++n) rig.receive(buffer(n));
  EXPECT_EQ(rig.memoryFiles.bytes("m.49").size(), 100u * 7056);
  EXPECT_EQ(rig.text(kCounterId), "120 frames saved    846720 bytes saved");
  rig.button(kCloseFileId)->click();
  const auto file = rig.memoryFiles.bytes("m.49");
  ASSERT_EQ(file.size(), 846720u);
  EXPECT_TRUE(file == chainMovie(120, DemodSettings{}));
}

TEST(RecorderWindow, WithoutHalfPixelTheThreeBytesOfASlotAreEqual) {
  ReceiverRig rig;
  rig.checkBox(kHalfPixelId)->click();
  rig.dialogAnswers.push_back(QStringLiteral("m.49"));
  rig.button(kOpenFileId)->click();
  rig.button(kSaveId)->click();
  for (int n = 0; n < 3; ++n) rig.receive(buffer(n));
  rig.button(kCloseFileId)->click();
  const auto file = rig.memoryFiles.bytes("m.49");
  ASSERT_EQ(file.size(), 3u * 7056);
  DemodSettings noHalfPixel;
  toggleHalfPixel(noHalfPixel);
  EXPECT_TRUE(file == chainMovie(3, noHalfPixel));
  int unequal = 0;
  for (std::size_t group = 0; group < file.size(); group += 3)
    unequal += file[group] != file[group + 1] || file[group] != file[group + 2];
  EXPECT_EQ(unequal, 0);
  // And with it on they differ somewhere, or the check above would prove nothing.
  const auto halfPixel = chainMovie(3, DemodSettings{});
  bool differs = false;
  for (std::size_t group = 0; group < halfPixel.size() && !differs; group += 3)
    differs = halfPixel[group] != halfPixel[group + 1];
  EXPECT_TRUE(differs);
}

TEST(RecorderWindow, FramesInMemoryAreWrittenOnExit) {
  ReceiverRig rig;
  rig.dialogAnswers.push_back(QStringLiteral("m.49"));
  rig.button(kOpenFileId)->click();
  rig.button(kSaveId)->click();
  for (int n = 0; n < 53; ++n) rig.receive(buffer(n));
  rig.menu(kExitId);
  EXPECT_EQ(rig.memoryFiles.bytes("m.49").size(), 53u * 7056);
  EXPECT_FALSE(rig.memoryFiles.files["m.49"]->open);
}

TEST(RecorderWindow, AFileThatCannotBeMadeIsReportedBesideTheWindowAndNothingCounts) {
  DiskMovieFiles disk;
  ReceiverRig rig(&disk);
  rig.window.show();
  rig.dialogAnswers.push_back(QStringLiteral("/nonexistent-folder/m.49"));
  rig.button(kOpenFileId)->click();
  auto* box = qobject_cast<QMessageBox*>(test::openBoxTitled(QStringLiteral("Movie file")));
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isModal());
  EXPECT_EQ(box->icon(), QMessageBox::Warning);
  EXPECT_TRUE(box->text().contains("/nonexistent-folder/m.49"));
  expectButtons(rig, {true, false, false, "Start save"});
  rig.button(kSaveId)->click();         // greyed
  EXPECT_TRUE(rig.receive(buffer(0)));  // reception goes on
  EXPECT_EQ(rig.text(kCounterId), "0 frames saved");
  box->close();
}

TEST(SaveDialog, AsksForA49FileInTheCurrentFolderAndAddsTheExtension) {
  test::app();
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  QObject guard;
  test::onNextModal(&guard, [&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) {
      if (modal) modal->close();
      ADD_FAILURE() << "no save dialog";
      return;
    }
    EXPECT_EQ(dialog->windowTitle(), "Save File");
    EXPECT_EQ(dialog->nameFilters(),
              (QStringList{"49*48 pixel movie files (*.49)", "All Files (*)"}));
    EXPECT_EQ(dialog->selectedNameFilter(), "49*48 pixel movie files (*.49)");
    EXPECT_EQ(dialog->defaultSuffix(), "49");
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    dialog->selectFile(QStringLiteral("new"));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own is protected
  });
  const auto chosen = chooseMovieFileWithDialog(nullptr);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(QFileInfo(*chosen).fileName(), "new.49");

  QDir::setCurrent(previous);
}

}  // namespace
}  // namespace mosaic
