// The station on real received signals: one file for each distinct still picture with its
// details, and the log's account of it; a pictures folder that cannot take them keeps them in
// memory, says so, and gets them once it can; the end saves what is held.

#include "station/station.h"

#include "tests/station/station_signals.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace mosaic::station {
namespace {

class StationRig {
 public:
  explicit StationRig(const QString& folder = {}) {
    const QString logPath = dir.filePath(QStringLiteral("log.jsonl"));
    std::string error;
    EXPECT_TRUE(log.open(logPath.toStdString(), error)) << error;
    StationSettings settings;
    settings.reception = test::monitorReception();
    settings.picturesFolder = folder.isEmpty() ? dir.filePath(QStringLiteral("pictures")) : folder;
    station = std::make_unique<Station>(settings, log, nullptr, nullptr);
    logFile = logPath;
  }
  // Feeds whole buffers of `received` from buffer `first` to before `end`.
  void receive(const std::vector<std::int16_t>& received, int first = 0, int end = 1 << 30) {
    for (int b = first; b < end && (b + 1) * std::size_t(kCaptureSamples) <= received.size(); ++b)
      station->addBuffer(received.data() + b * std::size_t(kCaptureSamples));
  }
  QStringList pictures(const QString& folder) const {
    QStringList paths;
    for (const QString& name : savedPictures(folder)) paths.prepend(QDir(folder).filePath(name));
    return paths;  // oldest first
  }
  std::vector<QJsonObject> events(const char* name) const {
    QFile file(logFile);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<QJsonObject> found;
    for (const QByteArray& line : file.readAll().split('\n')) {
      const QJsonObject o = QJsonDocument::fromJson(line).object();
      if (o[QStringLiteral("event")].toString() == QLatin1String(name)) found.push_back(o);
    }
    return found;
  }

  QTemporaryDir dir;
  EventLog log;
  QString logFile;
  std::unique_ptr<Station> station;
};

double number(const QImage& image, const char* key) {
  return image.text(QString::fromLatin1(key)).section(QLatin1Char(' '), 0, 0).toDouble();
}

// The mean of the absolute differences of two pictures' pixels, per colour.
double difference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
  return sum / (a.width() * a.height());
}

TEST(Station, EachStillPictureIsSavedOnceWithItsDetailsAndTheLogSaysSo) {
  StationRig rig;
  const QString folder = rig.dir.filePath(QStringLiteral("pictures"));
  // The card for 12 frames, the ramps for 30.
  const auto received = test::at9600(test::throughNoise(test::sentCardThenRamps(42, 12), 20.0));
  rig.receive(received, 0, 12);
  EXPECT_TRUE(rig.pictures(folder).isEmpty()) << "the card is still coming";
  rig.receive(received, 12, 14);
  ASSERT_EQ(rig.pictures(folder).size(), 1) << "saved when it changed";
  // The ramps' 16th frame is in buffer 26 or 27.
  rig.receive(received, 14, 25);
  EXPECT_EQ(rig.pictures(folder).size(), 1);
  rig.receive(received, 25, 28);
  EXPECT_EQ(rig.pictures(folder).size(), 2) << "by its 16th frame";
  rig.receive(received, 28);
  rig.station->finish();
  const QStringList paths = rig.pictures(folder);
  ASSERT_EQ(paths.size(), 2) << "and not again";

  const QImage card = QImageReader(paths[0]).read();
  const QImage ramps = QImageReader(paths[1]).read();
  EXPECT_EQ(card.size(), QSize(kAlignedColumns * 3, kAlignedRows * 3));
  EXPECT_GT(difference(card, ramps), 20.0) << "two different pictures";
  for (const QImage& picture : {card, ramps}) {
    EXPECT_NEAR(number(picture, "SNR"), 20.0, 1.5);
    EXPECT_NEAR(number(picture, "Tuning"), 0.0, 0.1);
    EXPECT_NEAR(number(picture, "Clock"), 0.0, 20.0);
    EXPECT_EQ(picture.text(QStringLiteral("Frames combined")), QStringLiteral("1"));
  }

  const auto saved = rig.events("picture_saved");
  ASSERT_EQ(saved.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(saved[i]["path"].toString(), paths[i]);
    EXPECT_NEAR(saved[i]["snr_db"].toDouble(), 20.0, 1.5);
  }
  ASSERT_EQ(rig.events("locked").size(), 1u);
  EXPECT_NEAR(rig.events("locked")[0]["tuning_hz"].toDouble(), 0.0, 0.1);
  EXPECT_TRUE(rig.events("picture_waiting").empty());
}

TEST(Station, PicturesWaitInMemoryUntilTheFolderCanTakeThem) {
  QTemporaryDir dir;
  QFile blocker(dir.filePath(QStringLiteral("blocker")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QString folder = blocker.fileName() + QStringLiteral("/pictures");
  StationRig rig(folder);
  const auto received = test::at9600(test::throughNoise(test::sentCardThenRamps(40, 40), 25.0));
  rig.receive(received, 0, 20);
  EXPECT_EQ(rig.station->picturesWaiting(), 1u);
  const auto waiting = rig.events("picture_waiting");
  ASSERT_EQ(waiting.size(), 1u);
  EXPECT_TRUE(waiting[0]["reason"].toString().contains(QStringLiteral("Cannot create the folder")));
  EXPECT_EQ(waiting[0]["waiting"].toInt(), 1);

  // The folder is tried again every 10 s of sound, never each buffer.
  ASSERT_TRUE(blocker.remove());
  rig.receive(received, 20, 40);
  EXPECT_EQ(rig.station->picturesWaiting(), 0u);
  EXPECT_EQ(rig.pictures(folder).size(), 1);
  EXPECT_EQ(rig.events("pictures_folder_ok").size(), 1u);
  EXPECT_EQ(rig.events("picture_saved").size(), 1u);
}

TEST(Station, TheEndSavesThePictureItHoldsAndLogsWhatCouldNotBeWritten) {
  StationRig rig;
  const QString folder = rig.dir.filePath(QStringLiteral("pictures"));
  const auto received = test::at9600(test::throughNoise(test::sentCardThenRamps(6, 6), 25.0));
  rig.receive(received);
  EXPECT_TRUE(rig.pictures(folder).isEmpty());
  rig.station->finish();
  EXPECT_EQ(rig.pictures(folder).size(), 1);

  QTemporaryDir other;
  QFile blocker(other.filePath(QStringLiteral("blocker")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  StationRig blocked(blocker.fileName() + QStringLiteral("/pictures"));
  blocked.receive(received);
  blocked.station->finish();
  const auto lost = blocked.events("pictures_lost");
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(lost[0]["pictures"].toInt(), 1);
}

}  // namespace
}  // namespace mosaic::station
