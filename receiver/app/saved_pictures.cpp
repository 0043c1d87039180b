#include "receiver/app/saved_pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <utility>

namespace mosaic {

QString defaultPictureFolder() {
  QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (pictures.isEmpty()) pictures = QDir::homePath();
  return QDir(pictures).filePath(QStringLiteral("Mosaic TV"));
}

QString pictureFileName(const QDateTime& utc) {
  return QStringLiteral("mosaic-%1Z.png")
      .arg(utc.toUTC().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

void addPictureDetails(QImage& image, const PictureDetails& details) {
  image.setText(QStringLiteral("Received"), details.receivedUtc.toUTC().toString(Qt::ISODate));
  const QString unknown = QStringLiteral("unknown");
  image.setText(
      QStringLiteral("Tuning"),
      details.tuning.valid ? QString::asprintf("%+.2f Hz", details.tuning.offsetHz) : unknown);
  image.setText(
      QStringLiteral("Clock"),
      details.tuning.locked ? QString::asprintf("%+.1f ppm", details.tuning.clockPpm) : unknown);
  image.setText(QStringLiteral("SNR"), QString::asprintf("%.1f dB in 3000 Hz", details.snrDb));
  image.setText(QStringLiteral("Tuning confidence"),
                QString::asprintf("%.2f", details.tuning.confidence));
  image.setText(QStringLiteral("Frame boundary fit"),
                QString::asprintf("%.2f", details.tuning.boundaryCoherence));
  image.setText(QStringLiteral("Software"), QStringLiteral("Mosaic TV receiver"));
}

QString savePicture(const QImage& picture, const QString& folder, const PictureDetails& details,
                    QString& error) {
  if (picture.isNull()) {
    error = QStringLiteral("There is no aligned picture yet: no frame boundary has been found.");
    return {};
  }
  QDir dir(folder);
  if (!dir.mkpath(QStringLiteral("."))) {
    error = QStringLiteral("Cannot create the folder %1.").arg(folder);
    return {};
  }
  const QString name = pictureFileName(details.receivedUtc);
  QString path = dir.filePath(name);
  for (int n = 2; QFileInfo::exists(path); ++n)
    path = dir.filePath(
        QString(name).replace(QStringLiteral(".png"), QStringLiteral("-%1.png").arg(n)));
  QImage image = picture;
  addPictureDetails(image, details);
  QSaveFile file(path);
  QImageWriter writer(&file, "png");
  if (!file.open(QIODevice::WriteOnly) || !writer.write(image) || !file.commit()) {
    error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
    return {};
  }
  return path;
}

namespace {
// A saved picture's time and its number within that second (1 for the first, unnumbered one).
std::pair<QString, int> pictureOrder(const QString& name) {
  static const QRegularExpression numbered(QStringLiteral("^(.*Z)-(\\d+)\\.png$"));
  const QRegularExpressionMatch m = numbered.match(name);
  if (m.hasMatch()) return {m.captured(1), m.captured(2).toInt()};
  return {QString(name).remove(QStringLiteral(".png")), 1};
}
}  // namespace

QStringList savedPictures(const QString& folder) {
  QStringList names = QDir(folder).entryList({QStringLiteral("mosaic-*.png")}, QDir::Files);
  std::sort(names.begin(), names.end(),
            [](const QString& a, const QString& b) { return pictureOrder(a) > pictureOrder(b); });
  return names;
}

QString pictureFolderProblem(const QString& folder) {
  if (folder.isEmpty() || QDir::isRelativePath(folder))
    return QStringLiteral("The pictures folder must be a full path.");
  if (!QDir().mkpath(folder)) return QStringLiteral("Cannot create the folder %1.").arg(folder);
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".mosaic-write-test-XXXXXX")));
  if (!probe.open())
    return QStringLiteral("Cannot write in the folder %1: %2").arg(folder, probe.errorString());
  return {};
}

bool worthAutoSaving(const TuningEstimate& estimate, double snrDb, double thresholdDb) {
  return estimate.locked && snrDb >= thresholdDb;
}

}  // namespace mosaic
