// Writes the programs' icons for the desktop's icon theme, from the same pictures that the
// windows show: PNG files at 16, 32, 48 and 128 pixels and an SVG file that draws every pixel of
// the largest picture as a square.
//
//   render_icons OUTDIR   ->  OUTDIR/hicolor/SIZExSIZE/apps/NAME.png,
//   OUTDIR/hicolor/scalable/apps/NAME.svg

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>

#include "platform/icons.h"

namespace {

struct ProgramIcon {
  const char* name;
  QImage small;  // shown at 16 px
  QImage large;  // the program's own picture, drawn bigger for the other sizes
};

// Blows a picture up by a whole factor with sharp pixel edges, then brings it to the size asked
// for: the pictures are pixel drawings, and smoothing them only once keeps them crisp.
QImage scaledTo(const QImage& image, int size) {
  if (image.width() == size) return image;
  const int factor = (size + image.width() - 1) / image.width();
  const QImage blown = image.scaled(image.width() * factor, image.height() * factor,
                                    Qt::IgnoreAspectRatio, Qt::FastTransformation);
  return blown.width() == size
             ? blown
             : blown.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// One rectangle per run of equal pixels in a row; fully transparent pixels are left out.
QByteArray svgOf(const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  QByteArray svg = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") +
                   "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                   QByteArray::number(image.width() * 4) + "\" height=\"" +
                   QByteArray::number(image.height() * 4) + "\" viewBox=\"0 0 " +
                   QByteArray::number(image.width()) + " " + QByteArray::number(image.height()) +
                   "\" shape-rendering=\"crispEdges\">\n";
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width();) {
      const QRgb colour = image.pixel(x, y);
      int end = x + 1;
      while (end < image.width() && image.pixel(end, y) == colour) ++end;
      if (qAlpha(colour) != 0) {
        svg += "<rect x=\"" + QByteArray::number(x) + "\" y=\"" + QByteArray::number(y) +
               "\" width=\"" + QByteArray::number(end - x) + "\" height=\"1\" fill=\"#" +
               QByteArray::number(colour & 0xffffff, 16).rightJustified(6, '0') + "\"";
        if (qAlpha(colour) != 255) {
          svg += " fill-opacity=\"" + QByteArray::number(qAlpha(colour) / 255.0, 'f', 3) + "\"";
        }
        svg += "/>\n";
      }
      x = end;
    }
  }
  return svg + "</svg>\n";
}

bool write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: render_icons OUTDIR\n");
    return 2;
  }
  const QString hicolor = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor/");
  const QImage small = mosaic::smallIconImage();
  // Pttswitch's window has the desktop's generic icon; its menu entry shows the family's
  // television.
  const ProgramIcon programs[] = {
      {"org.mosaictv.Mosaiccast", small, mosaic::largeIconImage(mosaic::IconProgram::Transmitter)},
      {"org.mosaictv.Mosaicview", small, mosaic::largeIconImage(mosaic::IconProgram::Receiver)},
      {"org.mosaictv.Pttswitch", small, small},
  };
  for (const auto& program : programs) {
    const QString name = QString::fromLatin1(program.name);
    for (const int size : {16, 32, 48, 128}) {
      const QImage image = size == 16 ? program.small : scaledTo(program.large, size);
      const QString path =
          hicolor + QStringLiteral("%1x%1/apps/").arg(size) + name + QStringLiteral(".png");
      QDir().mkpath(QFileInfo(path).path());
      if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(path));
        return 1;
      }
    }
    const QString svgPath = hicolor + QStringLiteral("scalable/apps/") + name + ".svg";
    if (!write(svgPath, svgOf(program.large))) {
      std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(svgPath));
      return 1;
    }
  }
  return 0;
}
