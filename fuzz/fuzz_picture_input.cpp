// Any bytes as a picture given to `mosaic encode`: the size check before decoding, then Qt's
// decoders with the tool's limits.

#include "tools/picture_input.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QGuiApplication* app = new QGuiApplication(*argc, *argv);
  (void)app;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QImage picture;
  std::string error;
  const bool ok = mosaic::tool::readPictureBytes(bytes, "fuzz", picture, error);
  if (ok && !picture.isNull() &&
      (picture.width() > mosaic::tool::kMaxPictureSide ||
       picture.height() > mosaic::tool::kMaxPictureSide))
    __builtin_trap();
  if (!ok && error.empty()) __builtin_trap();
  return 0;
}
