// Received pictures on disk as Mosaicview and the monitor write them: every detail in the file,
// never a picture over another (also when two write at once), and never half a picture.

#include "receiver/pictures/saved_pictures.h"

#include "tests/support/small_disk.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace mosaic {
namespace {

// A picture the size of a saved one; noisy, so that it does not compress.
QImage noisyPicture() {
  QImage image(141, 108, QImage::Format_RGB888);
  QRandomGenerator random(5);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, random.generate());
  return image;
}

PictureDetails detailsAt(const QDateTime& utc) {
  PictureDetails details;
  details.receivedUtc = utc;
  details.tuning.valid = details.tuning.locked = true;
  details.tuning.offsetHz = -2.346;
  details.tuning.clockPpm = 48.0;
  details.snrDb = 17.24;
  details.framesCombined = 8;
  return details;
}

TEST(SavedPictures, EveryDetailIsInTheFileWithTheRadiosDialWhenKnown) {
  QTemporaryDir dir;
  PictureDetails details = detailsAt(QDateTime(QDate(2026, 12, 7), QTime(12, 15, 30), Qt::UTC));
  details.dialFrequencyHz = 14230000.0;
  details.dialMode = QStringLiteral("PKTUSB");
  QString error;
  const QString path = savePicture(noisyPicture(), dir.path(), details, error);
  ASSERT_FALSE(path.isEmpty()) << error.toStdString();
  EXPECT_TRUE(path.endsWith(QStringLiteral("/mosaic-2026-12-07-121530Z.png")));
  QImageReader reader(path);
  const QImage read = reader.read();
  EXPECT_EQ(read.size(), QSize(141, 108));
  const std::pair<const char*, const char*> chunks[] = {{"Received", "2026-12-07T12:15:30Z"},
                                                        {"Tuning", "-2.35 Hz"},
                                                        {"Clock", "+48.0 ppm"},
                                                        {"SNR", "17.2 dB in 3000 Hz"},
                                                        {"Frames combined", "8"},
                                                        {"Dial frequency", "14.230000 MHz"},
                                                        {"Mode", "PKTUSB"}};
  for (const auto& [key, value] : chunks) EXPECT_EQ(read.text(key).toStdString(), value) << key;
  EXPECT_EQ(QFileInfo(path).permissions() & QFileDevice::ReadOther, QFileDevice::ReadOther);

  const QString plain =
      savePicture(noisyPicture(), dir.path(), detailsAt(details.receivedUtc), error);
  EXPECT_TRUE(QImageReader(plain).read().text(QStringLiteral("Dial frequency")).isEmpty())
      << "no radio, no dial";
}

TEST(SavedPictures, APictureNeverReplacesAnotherEvenWhenTwoAreWrittenAtOnce) {
  QTemporaryDir dir;
  const QDateTime second(QDate(2026, 12, 7), QTime(8, 0, 0), Qt::UTC);
  QFile existing(QDir(dir.path()).filePath(pictureFileName(second)));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("another program's picture");
  existing.close();

  std::vector<QString> paths(40);
  std::vector<std::thread> writers;
  for (int w = 0; w < 2; ++w) {
    writers.emplace_back([&, w] {
      const QImage picture = noisyPicture();
      for (int i = 0; i < 20; ++i) {
        QString error;
        paths[static_cast<std::size_t>(w * 20 + i)] =
            savePicture(picture, dir.path(), detailsAt(second), error);
      }
    });
  }
  for (auto& w : writers) w.join();
  std::set<QString> distinct(paths.begin(), paths.end());
  EXPECT_EQ(distinct.size(), 40u);
  EXPECT_FALSE(distinct.count(QString()));
  ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
  EXPECT_EQ(existing.readAll(), QByteArray("another program's picture"));
  EXPECT_EQ(savedPictures(dir.path()).size(), 41);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 41) << "no leftovers";
}

TEST(SavedPictures, AFullDiskGetsNoHalfPicture) {
  testing::SmallDisk disk("96k");
  if (!disk.mounted()) GTEST_SKIP() << "no small file system could be mounted (needs root)";
  disk.fillLeaving(8 * 1024);
  QString error;
  const QString path = savePicture(noisyPicture(), QString::fromStdString(disk.path()),
                                   detailsAt(QDateTime::currentDateTimeUtc()), error);
  EXPECT_TRUE(path.isEmpty());
  EXPECT_TRUE(error.contains(QString::fromStdString(disk.path()))) << error.toStdString();
  EXPECT_EQ(QDir(QString::fromStdString(disk.path())).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral(".filler")});
}

}  // namespace
}  // namespace mosaic
