// The aligned view, saved pictures and the received pictures window in the receiver window:
// the frame the way it was sent beside unmoved controls, growing with the window; pictures
// written with their estimates, automatically only when locked, each still picture once (or, as
// chosen, every frame); the specified views unchanged; and combining the repeated frames of a
// weak still picture into the pictures shown and saved.

#include "receiver/app/aligned_pictures.h"
#include "receiver/app/aligned_view.h"
#include "receiver/app/combining_row.h"
#include "receiver/app/received_pictures_window.h"
#include "receiver/app/tuning_panel.h"
#include "receiver/pictures/saved_pictures.h"
#include "tests/receiver_app/receiver_rig.h"
#include "tests/receiver_app/transmitted_audio.h"

#include <QBackingStore>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace mosaic {
namespace {

using namespace rx;
using test::ReceiverRig;

// White in the top left quarter of the sent region (columns 25..47 are its left half, rows
// 36..53 its top half), dark grey with a faint texture elsewhere (`inverted`: the other way
// round).
std::unique_ptr<PicturePlanes> quarterPlanes(bool inverted = false) {
  auto planes = std::make_unique<PicturePlanes>();
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r)
      planes->Y[c][r] =
          ((c >= 25 && r >= 36) != inverted) ? 7.5f : 0.3f * float((5 * c + 3 * r) % 4);
  return planes;
}

// The quarter picture received from a third of the way into a frame, `offsetHz` high, with
// white noise at `snrDb` in 3000 Hz when given.
std::vector<std::int16_t> quarterSignal(int frames, double offsetHz = 0.0,
                                        std::optional<double> snrDb = std::nullopt) {
  std::vector<std::int16_t> audio = test::receivedAudio(*quarterPlanes(), frames, offsetHz);
  audio.erase(audio.begin(), audio.begin() + kCaptureSamples / 3);
  if (snrDb) {
    const auto noisy =
        addNoise(std::vector<float>(audio.begin(), audio.end()), kRxSampleRateHz, *snrDb, 11);
    for (std::size_t i = 0; i < audio.size(); ++i) audio[i] = roundToSample(noisy[i]);
  }
  return audio;
}

// The number at the start of a text chunk of `image`, such as the -1.98 of "-1.98 Hz".
double chunkNumber(const QImage& image, const char* key) {
  bool ok = false;
  const double value =
      image.text(QString::fromLatin1(key)).section(QLatin1Char(' '), 0, 0).toDouble(&ok);
  EXPECT_TRUE(ok) << key << ": " << image.text(QString::fromLatin1(key)).toStdString();
  return value;
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
  // The panel shows that frame scaled into the picture's place, black beside it.
  const QImage panel = rig.view()->grab().toImage();
  const QRect picture = rig.view()->pictureRect(rig.view()->size());
  const QImage shown = panel.copy(picture);
  for (double x : {0.05, 0.55})
    for (double y : {0.05, 0.55})
      EXPECT_NEAR(meanLevel(shown, x, y, x + 0.4, y + 0.4),
                  meanLevel(frame, x, y, x + 0.4, y + 0.4), 2.0)
          << x << ", " << y;
  const QRect bars = picture.left() > 0 ? QRect(0, 0, picture.left(), panel.height())
                                        : QRect(0, 0, panel.width(), picture.top());
  ASSERT_FALSE(bars.isEmpty());
  EXPECT_EQ(meanLevel(panel.copy(bars), 0, 0, 1, 1), 0.0);
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

  rig.receiveAll(quarterSignal(5, 2.0, 20.0));
  rig.menu(kSavePictureId);  // works without the aligned view shown
  ASSERT_EQ(rig.saved().size(), 1);
  const QString path = rig.window.alignedPictures()->lastSaved();
  EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("mosaic-20")));
  QImageReader reader(path);
  const QImage saved = reader.read();
  EXPECT_EQ(saved.size(), rig.view()->frame().size());
  EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB888), rig.view()->frame());
  // The estimates of the signal: 2 Hz high at 20 dB, from a sending clock without error.
  EXPECT_TRUE(saved.text(QStringLiteral("Tuning")).endsWith(QStringLiteral(" Hz")));
  EXPECT_NEAR(chunkNumber(saved, "Tuning"), -2.0, 0.2);
  EXPECT_TRUE(saved.text(QStringLiteral("Clock")).endsWith(QStringLiteral(" ppm")));
  EXPECT_NEAR(chunkNumber(saved, "Clock"), 0.0, 20.0);
  EXPECT_TRUE(saved.text(QStringLiteral("SNR")).endsWith(QStringLiteral(" dB in 3000 Hz")));
  EXPECT_NEAR(chunkNumber(saved, "SNR"), 20.0, 1.5);
  std::printf("[ saved ] Tuning %s, Clock %s, SNR %s\n",
              qPrintable(saved.text(QStringLiteral("Tuning"))),
              qPrintable(saved.text(QStringLiteral("Clock"))),
              qPrintable(saved.text(QStringLiteral("SNR"))));
  const QDateTime received =
      QDateTime::fromString(saved.text(QStringLiteral("Received")), Qt::ISODate);
  EXPECT_EQ(received.timeSpec(), Qt::UTC);
  EXPECT_LE(std::abs(received.secsTo(QDateTime::currentDateTimeUtc())), 60);
  // A second picture in the same second does not replace the first.
  rig.menu(kSavePictureId);
  rig.menu(kSavePictureId);
  EXPECT_EQ(rig.saved().size(), 3);
}

TEST(AlignedWindow, AutoSaveKeepsEachStillPictureOnceAndTheNextWhenItComes) {
  AlignedRig rig;
  rig.menu(kAutoSaveId);
  EXPECT_FALSE(rig.window.alignedPictures()->autoSaveEveryFrame()) << "the station's rule";
  // A still picture for 24 frames, then another for 24: each saved once, by its 16th whole
  // frame, not once a frame.
  std::vector<std::int16_t> audio = test::receivedAudio(*quarterPlanes(), 24);
  const std::vector<std::int16_t> next = test::receivedAudio(*quarterPlanes(true), 24);
  audio.insert(audio.end(), next.begin(), next.end());
  audio.erase(audio.begin(), audio.begin() + kCaptureSamples / 3);
  const auto half = audio.begin() + 24 * kCaptureSamples;
  rig.receiveAll({audio.begin(), half});
  ASSERT_EQ(rig.saved().size(), 1);
  const QImage first(rig.window.alignedPictures()->lastSaved());
  rig.receiveAll({half, audio.end()});
  ASSERT_EQ(rig.saved().size(), 2);
  const QImage second(rig.window.alignedPictures()->lastSaved());
  // White in the top left quarter, and then everywhere else.
  EXPECT_GT(meanLevel(first, 0.05, 0.05, 0.45, 0.45),
            meanLevel(first, 0.55, 0.55, 0.95, 0.95) + 40);
  EXPECT_GT(meanLevel(second, 0.55, 0.55, 0.95, 0.95),
            meanLevel(second, 0.05, 0.05, 0.45, 0.45) + 40);
}

TEST(AlignedWindow, AutoSaveOfEveryFrameKeepsEveryLockedFrameAndTheGalleryListsThemNewestFirst) {
  AlignedRig rig;
  rig.menu(kAutoSaveId);
  EXPECT_TRUE(rig.window.menuAction(kAutoSaveId)->isChecked());
  // Chosen in "Received pictures".
  rig.menu(kReceivedPicturesId);
  rig.window.alignedPictures()->receivedPicturesWindow()->everyFrameBox()->click();
  EXPECT_TRUE(rig.window.alignedPictures()->autoSaveEveryFrame());
  // Silence locks nothing: nothing is saved.
  rig.receiveAll(std::vector<std::int16_t>(3 * kCaptureSamples, 0));
  EXPECT_TRUE(rig.saved().isEmpty());
  int locked = 0;
  const auto audio = quarterSignal(6);
  for (std::size_t at = 0; at + kCaptureSamples <= audio.size(); at += kCaptureSamples) {
    rig.receive(std::vector<std::int16_t>(audio.begin() + std::ptrdiff_t(at),
                                          audio.begin() + std::ptrdiff_t(at + kCaptureSamples)));
    if (worthAutoSaving(rig.window.engine().tuning(),
                        rig.window.alignedPictures()->signalToNoise().snrDb,
                        kDefaultAutoSaveSnrDb) &&
        !rig.view()->frame().isNull())
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

// Closes the open note boxes about received pictures and says how many there were.
int closeNoteBoxes() {
  int boxes = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMessageBox*>(w) && w->isVisible() &&
        w->windowTitle() == QStringLiteral("Received pictures")) {
      w->close();
      ++boxes;
    }
  }
  return boxes;
}

TEST(AlignedWindow, AutoSaveKeepsOnlyFramesThatReachTheSignalToNoiseThreshold) {
  AlignedRig rig;
  rig.menu(kAutoSaveId);
  rig.window.alignedPictures()->setAutoSaveEveryFrame(true);
  EXPECT_EQ(rig.window.alignedPictures()->autoSaveSnrDb(), kDefaultAutoSaveSnrDb);
  const auto audio = quarterSignal(10, 0.0, 9.0);
  const auto half = std::ptrdiff_t(5 * kCaptureSamples);
  rig.receiveAll(std::vector<std::int16_t>(audio.begin(), audio.begin() + half));
  ASSERT_FALSE(rig.view()->frame().isNull()) << "not locked at 9 dB";
  const double snr = rig.window.alignedPictures()->signalToNoise().snrDb;
  std::printf("[ auto-save ] noise at 9 dB estimated at %.1f dB\n", snr);
  EXPECT_NEAR(snr, 9.0, 1.5);
  EXPECT_TRUE(rig.saved().isEmpty()) << "below 15 dB";

  // Lowered in "Received pictures", which shows the ratio now beside it.
  rig.menu(kReceivedPicturesId);
  ReceivedPicturesWindow* gallery = rig.window.alignedPictures()->receivedPicturesWindow();
  EXPECT_EQ(gallery->thresholdBox()->value(), kDefaultAutoSaveSnrDb);
  gallery->thresholdBox()->setValue(6);
  EXPECT_EQ(rig.window.alignedPictures()->autoSaveSnrDb(), 6);
  rig.receiveAll(std::vector<std::int16_t>(audio.begin() + half, audio.end()));
  EXPECT_GE(rig.saved().size(), 3);
  EXPECT_EQ(gallery->list()->count(), rig.saved().size());
}

TEST(AlignedWindow, PicturesWaitInMemoryUntilAFolderTakesThemAndOnlyAWritableFolderIsTaken) {
  EXPECT_TRUE(defaultPictureFolder().startsWith(
      QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)));
  AlignedRig rig;
  AlignedPictures* pictures = rig.window.alignedPictures();
  // A remembered folder that cannot be made: a file is in its way.
  QFile blocker(rig.folder.filePath(QStringLiteral("blocker")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QString unusable = blocker.fileName() + QStringLiteral("/pictures");
  pictures->setFolder(unusable);
  rig.menu(kAutoSaveId);
  pictures->setAutoSaveEveryFrame(true);
  rig.receiveAll(quarterSignal(6));
  const std::size_t waiting = pictures->waitingPictures();
  ASSERT_GT(waiting, 1u);
  EXPECT_EQ(closeNoteBoxes(), 1) << "said once, not for every frame";

  rig.menu(kReceivedPicturesId);
  ReceivedPicturesWindow* gallery = pictures->receivedPicturesWindow();
  EXPECT_TRUE(gallery->problemLabel()->isVisible());
  EXPECT_TRUE(gallery->problemLabel()->text().contains(QStringLiteral("Cannot create the folder")));
  EXPECT_TRUE(gallery->problemLabel()->text().contains(
      QStringLiteral("%1 pictures wait in memory").arg(waiting)));
  EXPECT_EQ(gallery->folderLabel()->text(), unusable);
  gallery->resize(700, 420);
  EXPECT_TRUE(gallery->grab().save(QDir::temp().filePath("mosaic-received-pictures-problem.png")));

  // "Change folder...": another folder that cannot be written is refused and said why.
  QString offered;
  pictures->setFolderChooser([&offered](QWidget*, const QString&) { return offered; });
  offered = blocker.fileName() + QStringLiteral("/other");
  gallery->changeFolderButton()->click();
  EXPECT_EQ(pictures->folder(), unusable);
  EXPECT_TRUE(gallery->problemLabel()->text().contains(QStringLiteral("Pictures still go to")));
  offered.clear();  // cancelled
  gallery->changeFolderButton()->click();
  EXPECT_EQ(pictures->folder(), unusable);
  EXPECT_EQ(pictures->waitingPictures(), waiting);

  // A good one takes every waiting picture at once, in order.
  offered = rig.folder.filePath(QStringLiteral("chosen"));
  gallery->changeFolderButton()->click();
  EXPECT_EQ(pictures->folder(), offered);
  EXPECT_EQ(pictures->chosenFolder(), offered);
  EXPECT_EQ(pictures->waitingPictures(), 0u);
  EXPECT_EQ(QDir(offered).entryList(QDir::Files).size(), int(waiting));
  EXPECT_FALSE(gallery->problemLabel()->isVisible());
  EXPECT_EQ(gallery->list()->count(), int(waiting));
  EXPECT_EQ(closeNoteBoxes(), 0);
}

// The whole view painted afresh into an image of its own, in the screen's pixels.
QImage paintedAfresh(AlignedView& view) {
  const qreal ratio = view.devicePixelRatioF();
  QImage image((QSizeF(view.size()) * ratio).toSize(), QImage::Format_RGB888);
  image.setDevicePixelRatio(ratio);
  view.render(&image);
  return image.convertToFormat(QImage::Format_RGB32);
}

// The pixels of `image` that differ from `expected` within `rect`, where `expected` holds
// `rect`'s top left at `from`.
int differences(const QImage& image, QRect rect, const QImage& expected, QPoint from) {
  int count = 0;
  for (int y = 0; y < rect.height(); ++y)
    for (int x = 0; x < rect.width(); ++x)
      count +=
          image.pixel(rect.x() + x, rect.y() + y) != expected.pixel(from.x() + x, from.y() + y);
  return count;
}

constexpr QRgb kMarker = 0xff12f0e1u;

// The pixels of `image` in `region` that are no longer `kMarker`.
int unmarked(const QImage& image, const QRegion& region) {
  int count = 0;
  for (const QRect rect : region)
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x) count += image.pixel(x, y) != kMarker;
  return count;
}

// Mean difference of the levels of two pictures of the same size.
double meanDifference(const QImage& a, const QImage& b) {
  double sum = 0.0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
  return sum / (a.width() * a.height());
}

TEST(CombiningWindow, TheRowSwitchesTheEngineAndStaysClearOfTheOtherControls) {
  AlignedRig rig;
  CombiningRow* row = rig.window.combiningRow();
  auto* on = qobject_cast<QCheckBox*>(rig.window.control(kCombineFramesId));
  auto* frames = qobject_cast<QSpinBox*>(rig.window.control(kCombinedFramesId));
  ASSERT_TRUE(on && frames);
  EXPECT_EQ(on->text(), QStringLiteral("Combine frames"));
  EXPECT_FALSE(on->isChecked());
  EXPECT_FALSE(frames->isEnabled());
  EXPECT_FALSE(rig.window.engine().settings().combining.on);
  on->click();
  EXPECT_TRUE(frames->isEnabled());
  EXPECT_EQ(rig.window.engine().settings().combining.frames, 8);
  EXPECT_TRUE(rig.window.engine().settings().combining.on);
  frames->setValue(12);
  EXPECT_EQ(rig.window.engine().settings().combining.frames, 12);
  frames->setValue(40);  // beyond the range: the most there is
  EXPECT_EQ(rig.window.engine().settings().combining.frames, 16);

  // Below everything else, whole in the window; in the tuning display's place while it is hidden.
  const auto mapped = [&](QWidget* w) { return QRect(w->mapTo(&rig.window, QPoint()), w->size()); };
  for (const auto& [id, rect] : controlGeometries(rig))
    EXPECT_FALSE(mapped(row).intersects(mapped(rig.window.control(id)))) << id;
  EXPECT_FALSE(mapped(row).intersects(mapped(rig.window.tuningPanel())));
  EXPECT_TRUE(rig.window.rect().contains(mapped(row)));
  EXPECT_TRUE(rig.window.rect().contains(mapped(frames)));
  const int shownHeight = rig.window.height();
  rig.menu(kTuningDisplayId);
  EXPECT_EQ(row->y(), rig.window.tuningPanel()->y());
  EXPECT_LT(rig.window.height(), shownHeight);
  EXPECT_TRUE(rig.window.rect().contains(mapped(row)));
  rig.menu(kTuningDisplayId);
  EXPECT_GT(row->y(), rig.window.tuningPanel()->geometry().bottom());
  EXPECT_TRUE(rig.window.grab().save(QDir::temp().filePath("mosaic-combining-row.png")));
}

TEST(CombiningWindow, AWeakStillPictureClearsAndSavedPicturesSayHowManyFramesWentIntoThem) {
  const auto weak = quarterSignal(11, 0.0, 4.0);
  AlignedRig clean, single, combined;
  combined.window.alignedPictures()->setAutoSaveSnrDb(12);
  single.window.alignedPictures()->setAutoSaveSnrDb(12);
  for (AlignedRig* rig : {&combined, &single}) {
    rig->menu(kAutoSaveId);
    rig->window.alignedPictures()->setAutoSaveEveryFrame(true);  // each frame judged
  }
  qobject_cast<QCheckBox*>(combined.window.control(kCombineFramesId))->click();
  clean.receiveAll(quarterSignal(11));
  single.receiveAll(weak);
  combined.receiveAll(weak);
  ASSERT_FALSE(clean.view()->frame().isNull());
  ASSERT_FALSE(combined.view()->frame().isNull()) << "no frame boundary found";
  EXPECT_EQ(combined.window.engine().report().framesCombined, 8);
  EXPECT_TRUE(combined.window.combiningRow()->findChild<QLabel*>()->text().contains("8 frames"));

  // The picture and the aligned view come from the combined frames.
  const double alone = meanDifference(single.view()->frame(), clean.view()->frame());
  const double together = meanDifference(combined.view()->frame(), clean.view()->frame());
  std::printf("[ combining ] 4 dB: aligned view %.1f levels off alone, %.1f combined\n", alone,
              together);
  EXPECT_LT(2.0 * together, alone);
  const QImage cleanPicture = clean.window.pictureView()->grab().toImage();
  EXPECT_LT(2.0 * meanDifference(combined.window.pictureView()->grab().toImage(), cleanPicture),
            meanDifference(single.window.pictureView()->grab().toImage(), cleanPicture));

  // Auto-save judges the combined picture by the ratio it would have as a single frame: at 4 dB
  // no single frame reaches 12 dB, combined ones do once eight frames are in.
  EXPECT_TRUE(single.saved().isEmpty());
  ASSERT_FALSE(combined.saved().isEmpty());
  for (const QString& name : combined.saved()) {
    const QImage saved(QDir(combined.folder.path()).filePath(name));
    const double frames = chunkNumber(saved, "Frames combined");
    EXPECT_GE(combinedSnrDb(chunkNumber(saved, "SNR"), int(frames)), 12.0) << frames;
    EXPECT_LT(chunkNumber(saved, "SNR"), 8.0);
  }
  combined.menu(kSavePictureId);
  const QImage now(combined.window.alignedPictures()->lastSaved());
  EXPECT_EQ(now.text(QStringLiteral("Frames combined")), QStringLiteral("8"));
  EXPECT_EQ(now.convertToFormat(QImage::Format_RGB888), combined.view()->frame());
}

TEST(AlignedWindowPixels, ANewFrameRepaintsThePictureInTheWindowAndLeavesTheBarsAlone) {
  // Run once more at twice the scale (QT_SCALE_FACTOR=2), as on a high-density screen.
  AlignedRig rig;
  rig.menu(kAlignedId);
  rig.window.resize(rig.window.width() + 120, rig.window.height() + 40);
  const auto audio = quarterSignal(6);
  const auto buffers = std::ptrdiff_t(audio.size() / kCaptureSamples);
  rig.receiveAll(std::vector<std::int16_t>(audio.begin(), audio.end() - kCaptureSamples));
  QApplication::processEvents();
  AlignedView& view = *rig.view();
  ASSERT_FALSE(view.frame().isNull()) << "no frame boundary found";
  ASSERT_GT(buffers, 1);

  // The window's own image, marked all over; the next buffer repaints the picture only. (With
  // scaling its image is made anew for each paint, over the same pixels.)
  const auto storeImage = [&rig] {
    return dynamic_cast<QImage*>(rig.window.backingStore()->paintDevice());
  };
  QImage* store = storeImage();
  ASSERT_NE(store, nullptr);
  const qreal ratio = store->devicePixelRatio();
  EXPECT_EQ(ratio, view.devicePixelRatioF());
  const QRect panel(view.mapTo(&rig.window, QPoint(0, 0)) * ratio, view.size() * ratio);
  ASSERT_TRUE(store->rect().contains(panel));
  const QRect logicalPicture = view.pictureRect(view.size());
  const QRect picture(panel.topLeft() + logicalPicture.topLeft() * ratio,
                      (QSizeF(logicalPicture.size()) * ratio).toSize());
  store->fill(kMarker);
  rig.receive(std::vector<std::int16_t>(audio.end() - kCaptureSamples, audio.end()));
  store = storeImage();
  const QImage painted = paintedAfresh(view);
  const QPoint inPanel = picture.topLeft() - panel.topLeft();
  EXPECT_EQ(differences(*store, picture, painted, inPanel), 0);
  // Around it, the bars are left as they were.
  EXPECT_EQ(unmarked(*store, QRegion(panel).subtracted(picture)), 0);

  // A part of the panel exposed: only that part of the picture is written, at its place.
  store->fill(kMarker);
  const QRect exposed(logicalPicture.topLeft() + QPoint(logicalPicture.width() / 3, 5),
                      QSize(logicalPicture.width(), logicalPicture.height() / 4));
  view.repaint(exposed);
  store = storeImage();
  const QRect written =
      QRect(panel.topLeft() + exposed.topLeft() * ratio, exposed.size() * ratio) & panel & picture;
  EXPECT_EQ(differences(*store, written, painted, written.topLeft() - panel.topLeft()), 0);
  EXPECT_EQ(unmarked(*store, QRegion(panel).subtracted(written)), 0);
  std::printf("[ aligned ] picture %d x %d at (%d, %d) in a %d x %d store, ratio %.1f\n",
              picture.width(), picture.height(), picture.x(), picture.y(), store->width(),
              store->height(), ratio);
}

}  // namespace
}  // namespace mosaic
