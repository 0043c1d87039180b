#include "tools/picture_input.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QString>

namespace mosaic::tool {

namespace {

bool readFrom(QImageReader& reader, const std::string& name, QImage& picture, std::string& error) {
  picture = QImage();
  if (!reader.canRead()) return true;  // not a picture format: perhaps a video
  reader.setAllocationLimit(320);      // [MB] the largest accepted picture, 32 bits a pixel
  const QSize size = reader.size();    // from the header, before any pixel is decoded
  if (size.isValid() && (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)) {
    error = name + " is " + std::to_string(size.width()) + " x " + std::to_string(size.height()) +
            " pixels; pictures up to " + std::to_string(kMaxPictureSide) + " x " +
            std::to_string(kMaxPictureSide) + " are accepted";
    return false;
  }
  if (!reader.read(&picture) || picture.isNull()) {
    error = "cannot read " + name + ": " + reader.errorString().toStdString();
    picture = QImage();
    return false;
  }
  // A header that claimed a small size is not trusted either.
  if (picture.width() > kMaxPictureSide || picture.height() > kMaxPictureSide) {
    error = name + " is larger than " + std::to_string(kMaxPictureSide) + " x " +
            std::to_string(kMaxPictureSide) + " pixels";
    picture = QImage();
    return false;
  }
  return true;
}

}  // namespace

bool readPicture(const std::string& path, QImage& picture, std::string& error) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    error = "cannot read " + path + ": " + file.errorString().toStdString();
    return false;
  }
  QImageReader reader(&file);
  return readFrom(reader, path, picture, error);
}

bool readPictureBytes(const QByteArray& bytes, const std::string& name, QImage& picture,
                      std::string& error) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  return readFrom(reader, name, picture, error);
}

}  // namespace mosaic::tool
