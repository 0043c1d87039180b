// Prints how far apart two pictures are: the mean absolute difference of red, green and blue
// over every pixel, 0 to 255 (the second picture is scaled to the first's size), so that a shell
// test can tell whether a program drew what it was sent. Exit status 2 when a file cannot be read.

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>

namespace {

QImage readPicture(const char* path) {
  return QImage(QString::fromLocal8Bit(path)).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: picture_difference PICTURE OTHER\n");
    return 2;
  }
  const QImage first = readPicture(argv[1]);
  QImage second = readPicture(argv[2]);
  if (first.isNull() || second.isNull()) {
    std::fprintf(stderr, "cannot read %s\n", first.isNull() ? argv[1] : argv[2]);
    return 2;
  }
  if (second.size() != first.size())
    second = second.scaled(first.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  double sum = 0;
  for (int y = 0; y < first.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(first.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(second.constScanLine(y));
    for (int x = 0; x < first.width(); ++x)
      sum += std::abs(qRed(a[x]) - qRed(b[x])) + std::abs(qGreen(a[x]) - qGreen(b[x])) +
             std::abs(qBlue(a[x]) - qBlue(b[x]));
  }
  std::printf("%.0f\n", sum / (3.0 * first.width() * first.height()));
  return 0;
}
