#include "tools/picture_files.h"

#include "tools/pending_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>
#include <QString>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace mosaic::tool {

namespace {

// The image format for a file name, by its suffix; PNG when the suffix names none that Qt writes.
QByteArray imageFormatFor(const std::string& path) {
  const QByteArray suffix =
      QByteArray::fromStdString(std::filesystem::path(path).extension().string()).mid(1).toLower();
  if (!suffix.isEmpty() && QImageWriter::supportedImageFormats().contains(suffix)) return suffix;
  return "png";
}

}  // namespace

bool writeImage(const QImage& image, const std::string& path, std::string& error) {
  // Qt's writers do not report a failed close, so the picture is made in memory and written here,
  // where every write and the flush to disk are checked.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, imageFormatFor(path));
  if (!writer.write(image)) {
    error = "cannot write " + path + ": " + writer.errorString().toStdString();
    return false;
  }
  PendingFile file(path);
  return file.open(error) &&
         file.write(bytes.constData(), static_cast<std::size_t>(bytes.size()), error) &&
         file.commit(error);
}

std::string numberedPicturePath(const std::string& dir, int number) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%05d.png", number);
  return (std::filesystem::path(dir) / name).string();
}

bool makeFolder(const std::string& dir, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    error = "cannot create " + dir + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace mosaic::tool
