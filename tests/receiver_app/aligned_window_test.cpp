// The aligned view, saved pictures and the received pictures window in the receiver window:
// the frame the way it was sent beside unmoved controls, growing with the window; pictures
// written with their estimates, automatically only when locked; the specified views unchanged.

#include "receiver/app/aligned_pictures.h"
#include "receiver/app/aligned_view.h"
#include "receiver/app/received_pictures_window.h"
#include "receiver/app/saved_pictures.h"
#include "tests/receiver_app/receiver_rig.h"
#include "tests/receiver_app/transmitted_audio.h"

#include <QDir>
#include <QImageReader>
#include <QListWidget>
#include <QMenuBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace mosaic {
namespace {

using namespace rx;
using test::ReceiverRig;

// White in the top left quarter of the sent region (columns 25..47 are its left half, rows
// 36..53 its top half), dark grey with a faint texture elsewhere; received from a third of the
// way into a frame.
std::vector<std::int16_t> quarterSignal(int frames) {
  auto planes = std::make_unique<PicturePlanes>();
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r)
      planes->Y[c][r] = (c >= 25 && r >= 36) ? 7.5f : 0.3f * float((5 * c + 3 * r) % 4);
  std::vector<std::int16_t> audio = test::receivedAudio(*planes, frames);
  audio.erase(audio.begin(), audio.begin() + kCaptureSamples / 3);
  return audio;
}

// Mean level (of red, green and blue) of a part of `image`, given in fractions of its size.
double meanLevel(const QImage& image, double x0, double y0, double x1, double y1) {
  double sum = 0;
  int n = 0;
  for (int y = int(y0 * image.height()); y < int(y1 * image.height()); ++y)
    for (int x = int(x0 * image.width()); x < int(x1 * image.width()); ++x, ++n)
      sum += (qRed(image.pixel(x, y)) + qGreen(image.pixel(x, y)) + qBlue(image.pixel(x, y))) / 3.0;
  return sum / n;
}

std::map<int, QRect> controlGeometries(const ReceiverRig& rig) {
  std::map<int, QRect> shown;
  for (int id : {kOpenFileId, kCloseFileId, kSaveId, kCounterId, kCoarseTuneId, kFineTuneId,
                 kBalanceId, kSaturationId, kBrightnessId, kContrastId, kNoiseFilterId,
                 kHorizontalFilterId, kVerticalInterpolationId, kHalfPixelId, kTuningValueId})
    if (QWidget* w = rig.window.control(id)) shown[id] = w->geometry();
  return shown;
}

struct AlignedRig : ReceiverRig {
  QTemporaryDir folder;
  AlignedRig() {
    window.alignedPictures()->setFolder(folder.path());
    window.show();
  }
  AlignedView* view() const { return window.alignedPictures()->view(); }
  QStringList saved() const { return QDir(folder.path()).entryList(QDir::Files); }
};

TEST(AlignedWindow, ShowsTheFrameAsSentBesideControlsThatStayPut) {
  AlignedRig rig;
  const QSize plainSize = rig.window.size();
  const auto before = controlGeometries(rig);
  rig.menu(kAlignedId);
  EXPECT_TRUE(rig.view()->isVisible());
  EXPECT_TRUE(rig.window.menuAction(kAlignedId)->isChecked());
  EXPECT_GT(rig.window.width(), plainSize.width());
  rig.receiveAll(quarterSignal(6));

  const QImage& frame = rig.view()->frame();
  ASSERT_FALSE(frame.isNull()) << "no frame boundary found";
  EXPECT_EQ(frame.size(), QSize(47 * kAlignedViewScale, 36 * kAlignedViewScale));
  // The white quarter at the top left, whatever the frame's position in the buffers (the rest
  // is tinted by the default colour balance, so it is told apart by its level).
  const double quarter = meanLevel(frame, 0.05, 0.05, 0.45, 0.45);
  EXPECT_GT(quarter, meanLevel(frame, 0.55, 0.05, 0.95, 0.45) + 60);
  EXPECT_GT(quarter, meanLevel(frame, 0.05, 0.55, 0.45, 0.95) + 60);
  EXPECT_GT(quarter, meanLevel(frame, 0.55, 0.55, 0.95, 0.95) + 60);

  // Larger windows: the controls stay, the view takes the room right of them and never
  // covers one, and the picture keeps its aspect.
  for (QSize size : {QSize(1400, 900), QSize(900, 1000), QSize(700, 560)}) {
    rig.window.resize(size);
    QApplication::processEvents();
    EXPECT_EQ(controlGeometries(rig), before) << size.width();
    for (const auto& [id, rect] : before)
      EXPECT_FALSE(rig.view()->geometry().intersects(rect)) << id << " at " << size.width();
    const QRect picture = rig.view()->pictureRect(rig.view()->size());
    EXPECT_NEAR(double(picture.width()) / picture.height(), 47.0 / 36.0, 0.02);
    EXPECT_TRUE(picture.width() == rig.view()->width() || picture.height() == rig.view()->height());
  }
  rig.window.resize(1200, 700);
  QApplication::processEvents();
  EXPECT_TRUE(rig.window.grab().save(QDir::temp().filePath("mosaic-aligned-view.png")));

  // "Small" puts the window back as it was, with the view gone.
  rig.menu(kSmallId);
  EXPECT_FALSE(rig.view()->isVisible());
  EXPECT_FALSE(rig.window.menuAction(kAlignedId)->isChecked());
  EXPECT_EQ(rig.window.size(), plainSize);
  EXPECT_EQ(rig.window.displaySettings().screenSize, ScreenSize::Small);
}

TEST(AlignedWindow, SavePictureWritesTheFrameWithItsEstimates) {
  AlignedRig rig;
  EXPECT_EQ(rig.window.menuAction(kSavePictureId)->shortcut(), QKeySequence(QKeySequence::Save));
  EXPECT_EQ(rig.window.menuAction(kSavePictureId)->text(), QStringLiteral("Save picture"));
  // Nothing to save yet: said so in the window, nothing written.
  rig.menu(kSavePictureId);
  QWidget* box = test::openBoxTitled(QStringLiteral("Received pictures"));
  ASSERT_NE(box, nullptr);
  box->close();
  EXPECT_TRUE(rig.saved().isEmpty());

  rig.receiveAll(quarterSignal(5));
  rig.menu(kSavePictureId);  // works without the aligned view shown
  ASSERT_EQ(rig.saved().size(), 1);
  const QString path = rig.window.alignedPictures()->lastSaved();
  EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("mosaic-20")));
  QImageReader reader(path);
  const QImage saved = reader.read();
  EXPECT_EQ(saved.size(), rig.view()->frame().size());
  EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB888), rig.view()->frame());
  EXPECT_TRUE(saved.text(QStringLiteral("Tuning")).endsWith(QStringLiteral(" Hz")));
  EXPECT_TRUE(saved.text(QStringLiteral("Clock")).endsWith(QStringLiteral(" ppm")));
  EXPECT_FALSE(saved.text(QStringLiteral("Received")).isEmpty());
  // A second picture in the same second does not replace the first.
  rig.menu(kSavePictureId);
  rig.menu(kSavePictureId);
  EXPECT_EQ(rig.saved().size(), 3);
}

TEST(AlignedWindow, AutoSaveKeepsEveryLockedFrameAndTheGalleryListsThemNewestFirst) {
  AlignedRig rig;
  rig.menu(kAutoSaveId);
  EXPECT_TRUE(rig.window.menuAction(kAutoSaveId)->isChecked());
  // Silence locks nothing: nothing is saved.
  rig.receiveAll(std::vector<std::int16_t>(3 * kCaptureSamples, 0));
  EXPECT_TRUE(rig.saved().isEmpty());
  int locked = 0;
  const auto audio = quarterSignal(6);
  for (std::size_t at = 0; at + kCaptureSamples <= audio.size(); at += kCaptureSamples) {
    rig.receive(std::vector<std::int16_t>(audio.begin() + std::ptrdiff_t(at),
                                          audio.begin() + std::ptrdiff_t(at + kCaptureSamples)));
    if (worthAutoSaving(rig.window.tuningEstimator().estimate()) && !rig.view()->frame().isNull())
      ++locked;
  }
  ASSERT_GT(locked, 0);
  // Frames 1.28 s apart: several may share a second and are numbered, none is lost.
  EXPECT_EQ(rig.saved().size(), locked);

  rig.menu(kReceivedPicturesId);
  ReceivedPicturesWindow* gallery = rig.window.alignedPictures()->receivedPicturesWindow();
  ASSERT_NE(gallery, nullptr);
  EXPECT_TRUE(gallery->isVisible());
  EXPECT_EQ(gallery->list()->count(), locked);
  // Newest first, also among pictures of the same second.
  EXPECT_EQ(gallery->list()->item(0)->data(Qt::UserRole).toString(),
            rig.window.alignedPictures()->lastSaved());
  EXPECT_EQ(gallery->openFolderButton()->text(), QStringLiteral("Open folder"));
  EXPECT_TRUE(gallery->grab().save(QDir::temp().filePath("mosaic-received-pictures.png")));

  rig.menu(kAutoSaveId);
  EXPECT_FALSE(rig.window.menuAction(kAutoSaveId)->isChecked());
  rig.receiveAll(std::vector<std::int16_t>(audio.begin(), audio.begin() + 2 * kCaptureSamples));
  EXPECT_EQ(rig.saved().size(), locked);
}

}  // namespace
}  // namespace mosaic
