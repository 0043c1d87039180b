#include "tools/quality/sample_pictures.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace mosaic::tool {

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 128;

QImage blankPicture() {
  QImage picture(kWidth, kHeight, QImage::Format_RGB888);
  picture.fill(Qt::black);
  return picture;
}

}  // namespace

QImage drawLandscape() {
  QImage picture = blankPicture();
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, 62);
  sky.setColorAt(0.0, QColor(40, 90, 190));
  sky.setColorAt(1.0, QColor(200, 220, 240));
  p.fillRect(0, 0, kWidth, 62, sky);

  QRadialGradient sun(104, 36, 12);
  sun.setColorAt(0.0, QColor(255, 250, 210));
  sun.setColorAt(0.6, QColor(255, 220, 90));
  sun.setColorAt(1.0, QColor(255, 220, 90, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(sun);
  p.drawEllipse(QPointF(104, 36), 12, 12);

  // Far hills in haze, then a near green slope.
  QPainterPath far;
  far.moveTo(0, 62);
  far.cubicTo(40, 40, 70, 44, 96, 56);
  far.cubicTo(120, 46, 140, 44, 160, 52);
  far.lineTo(160, 70);
  far.lineTo(0, 70);
  p.setBrush(QColor(110, 130, 160));
  p.drawPath(far);

  QLinearGradient grass(0, 58, 0, 128);
  grass.setColorAt(0.0, QColor(90, 160, 60));
  grass.setColorAt(1.0, QColor(30, 80, 20));
  QPainterPath near;
  near.moveTo(0, 66);
  near.cubicTo(50, 56, 90, 70, 160, 60);
  near.lineTo(160, 128);
  near.lineTo(0, 128);
  p.setBrush(grass);
  p.drawPath(near);

  // A lake with the sky's colour, darker towards the shore.
  QLinearGradient water(0, 76, 0, 94);
  water.setColorAt(0.0, QColor(150, 190, 230));
  water.setColorAt(1.0, QColor(30, 70, 130));
  p.setBrush(water);
  p.drawEllipse(QRectF(36, 76, 64, 18));

  // A house: white walls, red roof, dark door.
  p.setBrush(QColor(235, 230, 215));
  p.drawRect(QRectF(104, 62, 18, 14));
  QPainterPath roof;
  roof.moveTo(101, 63);
  roof.lineTo(113, 53);
  roof.lineTo(125, 63);
  roof.closeSubpath();
  p.setBrush(QColor(190, 40, 30));
  p.drawPath(roof);
  p.setBrush(QColor(60, 40, 30));
  p.drawRect(QRectF(111, 68, 4, 8));

  // A tree on the left: trunk and a round crown.
  p.setBrush(QColor(90, 60, 30));
  p.drawRect(QRectF(46, 56, 3, 16));
  p.setBrush(QColor(40, 110, 40));
  p.drawEllipse(QPointF(47.5, 52), 9, 10);
  p.end();
  return picture;
}

QImage drawPortrait() {
  QImage picture = blankPicture();
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient wall(0, 0, kWidth, 0);
  wall.setColorAt(0.0, QColor(30, 110, 120));
  wall.setColorAt(1.0, QColor(170, 200, 190));
  p.fillRect(0, 0, kWidth, kHeight, wall);
  p.setPen(Qt::NoPen);

  // Shoulders in a dark red jumper.
  p.setBrush(QColor(140, 30, 40));
  p.drawEllipse(QRectF(42, 80, 84, 50));
  p.setBrush(QColor(215, 160, 130));
  p.drawRect(QRectF(74, 70, 20, 16));  // neck

  // Hair behind the face, then the face with soft shading.
  p.setBrush(QColor(70, 40, 20));
  p.drawEllipse(QRectF(60, 18, 48, 56));
  QRadialGradient skin(80, 44, 26);
  skin.setColorAt(0.0, QColor(245, 200, 170));
  skin.setColorAt(1.0, QColor(200, 140, 110));
  p.setBrush(skin);
  p.drawEllipse(QRectF(64, 26, 40, 50));
  p.setBrush(QColor(70, 40, 20));
  p.drawChord(QRectF(62, 20, 44, 30), 0, 180 * 16);  // fringe

  // Eyes: whites, irises; brows; a red mouth.
  for (const double x : {76.0, 92.0}) {
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(x, 48), 4.5, 2.8);
    p.setBrush(QColor(40, 70, 120));
    p.drawEllipse(QPointF(x, 48), 2.0, 2.0);
    p.setBrush(QColor(60, 35, 20));
    p.drawRect(QRectF(x - 5, 42, 10, 1.6));
  }
  p.setBrush(QColor(190, 130, 110));
  p.drawEllipse(QRectF(82, 52, 4, 8));  // nose
  p.setBrush(QColor(180, 40, 50));
  p.drawEllipse(QRectF(77, 63, 14, 5));
  p.end();
  return picture;
}

}  // namespace mosaic::tool
