#include "receiver/pictures/saved_pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
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
  image.setText(QStringLiteral("Frames combined"), QString::number(details.framesCombined));
  if (details.dialFrequencyHz) {
    image.setText(QStringLiteral("Dial frequency"),
                  QString::asprintf("%.6f MHz", *details.dialFrequencyHz / 1e6));
  }
  if (!details.dialMode.isEmpty()) image.setText(QStringLiteral("Mode"), details.dialMode);
  image.setText(QStringLiteral("Software"), QStringLiteral("Mosaic TV receiver"));
}

namespace {

// The name for the `n`th picture of the same second: the plain name, then "-2", "-3", ...
QString numberedName(const QString& name, int n) {
  if (n == 1) return name;
  return QString(name).replace(QStringLiteral(".png"), QStringLiteral("-%1.png").arg(n));
}

// Gives the written file `from` the name `to` unless a file of that name exists, in one step,
// so that a picture never replaces another, also when two programs save into one folder at
// once. False with errno EEXIST when the name is taken.
bool nameWithoutReplacing(const QString& from, const QString& to) {
  const QByteArray source = QFile::encodeName(from);
  const QByteArray target = QFile::encodeName(to);
#ifdef __linux__
  if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
      0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  // File systems without that kind of rename: a second name for the file fails when the name
  // is taken; the temporary name goes with the file object.
  if (::link(source.constData(), target.constData()) == 0) return true;
  if (errno == EEXIST) return false;
  // File systems without links either (FAT on a memory card): look, then rename.
  if (QFileInfo::exists(to)) {
    errno = EEXIST;
    return false;
  }
  return ::rename(source.constData(), target.constData()) == 0;
}

}  // namespace

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
  QImage image = picture;
  addPictureDetails(image, details);
  // Written whole under a hidden name first, so that a full disk or a crash never leaves a
  // partial picture under a picture's name.
  QTemporaryFile file(dir.filePath(QStringLiteral(".mosaic-XXXXXX.part")));
  QImageWriter writer(&file, "png");
  if (!file.open() || !writer.write(image) || !file.flush() || ::fsync(file.handle()) != 0) {
    error = QStringLiteral("Cannot write a picture in %1: %2")
                .arg(folder, writer.error() != QImageWriter::UnknownError ? writer.errorString()
                                                                          : file.errorString());
    return {};
  }
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                      QFileDevice::ReadOther);
  const QString name = pictureFileName(details.receivedUtc);
  for (int n = 1;; ++n) {
    const QString path = dir.filePath(numberedName(name, n));
    if (nameWithoutReplacing(file.fileName(), path)) return path;
    if (errno != EEXIST) {
      error =
          QStringLiteral("Cannot write %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
      return {};
    }
  }
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

double combinedSnrDb(double snrDb, int framesCombined) {
  return snrDb + 10.0 * std::log10(std::max(framesCombined, 1));
}

}  // namespace mosaic
