// The station on real received signals when its pictures folder cannot take them: they wait in
// memory, the log says so, the folder gets them once it can, and what it never gets is logged as
// lost. (The pictures kept and their details: see the keeper's and the monitor's tests.)

#include "station/station.h"

#include "tests/station/station_signals.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace mosaic::station {
namespace {

struct StationRig {
  explicit StationRig(const QString& pictures) : folder(pictures) {
    std::string error;
    EXPECT_TRUE(log.open(dir.filePath(QStringLiteral("log.jsonl")).toStdString(), error));
    StationSettings settings;
    settings.reception = test::monitorReception();
    settings.picturesFolder = folder;
    station = std::make_unique<Station>(settings, log, nullptr, nullptr);
  }
  // Buffers `first` to before `end` of `received`.
  void receive(const std::vector<std::int16_t>& received, int first, int end) {
    for (int b = first; b < end; ++b) station->addBuffer(received.data() + b * kCaptureSamples);
  }
  QStringList pictures() const {  // oldest first
    QStringList paths;
    for (const QString& name : savedPictures(folder)) paths.prepend(QDir(folder).filePath(name));
    return paths;
  }
  std::vector<QJsonObject> events(const char* name) const {
    QFile file(dir.filePath(QStringLiteral("log.jsonl")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<QJsonObject> found;
    for (const QByteArray& line : file.readAll().split('\n')) {
      const QJsonObject o = QJsonDocument::fromJson(line).object();
      if (o[QStringLiteral("event")].toString() == QLatin1String(name)) found.push_back(o);
    }
    return found;
  }

  QTemporaryDir dir;
  QString folder;
  EventLog log;
  std::unique_ptr<Station> station;
};

TEST(Station, PicturesWaitInMemoryUntilTheFolderTakesThemAndThoseItNeverTakesAreLogged) {
  QTemporaryDir dir;
  QFile blocker(dir.filePath(QStringLiteral("blocker")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  StationRig rig(blocker.fileName() + QStringLiteral("/pictures"));
  const auto received = test::at9600(test::throughNoise(test::sentCardThenRamps(40, 40), 25.0));
  rig.receive(received, 0, 20);
  EXPECT_EQ(rig.station->picturesWaiting(), 1u);
  const auto waiting = rig.events("picture_waiting");
  ASSERT_EQ(waiting.size(), 1u);
  EXPECT_TRUE(waiting[0]["reason"].toString().contains(QStringLiteral("Cannot create the folder")));
  // The folder is tried again every 10 s of sound, not each buffer, nor logged each time.
  ASSERT_TRUE(blocker.remove());
  rig.receive(received, 20, 40);
  EXPECT_EQ(rig.station->picturesWaiting(), 0u);
  EXPECT_EQ(rig.pictures().size(), 1);
  EXPECT_EQ(rig.events("pictures_folder_ok").size(), 1u);
  EXPECT_EQ(rig.events("picture_waiting").size(), 1u);

  // A picture held at the end is saved; one the folder cannot take then is logged as lost.
  QFile second(dir.filePath(QStringLiteral("second")));
  ASSERT_TRUE(second.open(QIODevice::WriteOnly));
  StationRig blocked(second.fileName() + QStringLiteral("/pictures"));
  blocked.receive(received, 0, 6);
  blocked.station->finish();
  const auto lost = blocked.events("pictures_lost");
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(lost[0]["pictures"].toInt(), 1);
}

}  // namespace
}  // namespace mosaic::station
