#include "platform/icons.h"

#include <QColor>
#include <QPainter>
#include <QPen>

namespace mosaic {

namespace {

// The sixteen standard colours the icons are drawn in.
const QColor kBlack(0, 0, 0), kGrey(128, 128, 128), kSilver(192, 192, 192), kWhite(255, 255, 255),
    kYellow(255, 255, 0), kCyan(0, 255, 255), kLime(0, 255, 0), kFuchsia(255, 0, 255),
    kRed(255, 0, 0), kBlue(0, 0, 255), kNavy(0, 0, 128);

// A television of the given size at (x, y): grey cabinet, screen with eight colour bars.
void drawTelevision(QPainter& p, int x, int y, int w, int h) {
  p.fillRect(x, y, w, h, kSilver);
  p.setPen(kBlack);
  p.drawRect(x, y, w - 1, h - 1);
  const int sx = x + 2, sy = y + 2, sw = w - 4, sh = h - 5;
  const QColor bars[] = {kWhite, kYellow, kCyan, kLime, kFuchsia, kRed, kBlue, kBlack};
  for (int i = 0; i < 8; ++i) {
    const int x0 = sx + sw * i / 8, x1 = sx + sw * (i + 1) / 8;
    p.fillRect(x0, sy, x1 - x0, sh, bars[i]);
  }
  p.fillRect(x + 1, y + h - 3, w - 2, 2, kGrey);
}

QImage blankImage(int size) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  return img;
}

}  // namespace

QImage smallIconImage() {
  QImage img = blankImage(16);
  QPainter p(&img);
  drawTelevision(p, 0, 3, 16, 12);
  p.setPen(kBlack);
  p.drawLine(5, 0, 7, 2);  // antenna
  p.drawLine(10, 0, 8, 2);
  return img;
}

QImage largeIconImage(IconProgram program) {
  QImage img = blankImage(32);
  QPainter p(&img);
  drawTelevision(p, 0, 10, 24, 20);
  p.setPen(QPen(kBlack, 1));
  p.drawLine(8, 4, 11, 9);  // antenna
  p.drawLine(16, 4, 13, 9);
  // Radio waves: arcs to the right of the antenna, with an arrow out of or into the set.
  p.setPen(QPen(program == IconProgram::Transmitter ? kRed : kNavy, 1));
  p.drawArc(QRect(14, -2, 12, 12), -60 * 16, 120 * 16);
  p.drawArc(QRect(12, -6, 20, 20), -60 * 16, 120 * 16);
  if (program == IconProgram::Transmitter) {
    p.drawLine(25, 20, 31, 20);
    p.drawLine(31, 20, 28, 17);
    p.drawLine(31, 20, 28, 23);
  } else {
    p.drawLine(25, 20, 31, 20);
    p.drawLine(25, 20, 28, 17);
    p.drawLine(25, 20, 28, 23);
  }
  return img;
}

QIcon programIcon(IconProgram program) {
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(smallIconImage()));
  icon.addPixmap(QPixmap::fromImage(largeIconImage(program)));
  return icon;
}

}  // namespace mosaic
