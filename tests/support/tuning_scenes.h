#pragma once
// Pictures that test how the tuning estimator chooses among the offsets its frame links allow:
// some reach black, white and full colour over most of the picture, some only in small patches,
// some not at all. Each is 160 x 128, the video area's shape, of which columns 32..127 and rows
// 22..93 are sent; drawing needs the application object that test::testCard() makes.

#include "tests/support/air_signal.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <vector>

namespace mosaic::test {

// A hazy landscape: pale sky over soft green hills, nothing near black or white, so its values
// fit the ranges over several hertz of tuning.
inline QImage hazyLandscape() {
  testCard();
  QImage picture(160, 128, QImage::Format_RGB888);
  QPainter painter(&picture);
  QLinearGradient sky(0, 0, 0, 70);
  sky.setColorAt(0, QColor(150, 165, 190));
  sky.setColorAt(1, QColor(175, 185, 200));
  painter.fillRect(picture.rect(), sky);
  QPainterPath hills(QPointF(0, 128));
  for (int x = 0; x <= 160; x += 8) hills.lineTo(x, 62 + 10 * std::sin(x / 17.0));
  hills.lineTo(160, 128);
  painter.fillPath(hills, QColor(110, 135, 100));
  painter.fillRect(90, 90, 30, 20, QColor(140, 120, 105));  // a house
  return picture;
}

// A pale face on a black background: black and middle tones, no white.
inline QImage faceOnBlack() {
  testCard();
  QImage picture(160, 128, QImage::Format_RGB888);
  picture.fill(Qt::black);
  QPainter painter(&picture);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(190, 150, 125));
  painter.drawEllipse(QPointF(80, 60), 28, 36);
  painter.setBrush(QColor(120, 95, 80));
  painter.drawEllipse(QPointF(80, 90), 40, 14);
  return picture;
}

// Colour bars at full saturation (white, yellow, cyan, green, magenta, red, blue, black) over
// patches of full white and full black.
inline QImage colourBars() {
  testCard();
  QImage picture(160, 128, QImage::Format_RGB888);
  QPainter painter(&picture);
  const QColor bars[] = {Qt::white,   Qt::yellow, Qt::cyan, Qt::green,
                         Qt::magenta, Qt::red,    Qt::blue, Qt::black};
  for (int i = 0; i < 8; ++i) painter.fillRect(32 + 12 * i, 0, 12, 96, bars[i]);
  painter.fillRect(32, 96, 48, 32, Qt::black);
  painter.fillRect(80, 96, 48, 32, Qt::white);
  return picture;
}

// A saturated, photo-like scene: deep blue sky, green field, a red flower, a small white sun
// (about 1 % of the sent area) and a black shadow (about 3 %). Its values reach black,
// white and full colour, but too few of them to stretch the spread of all values to the ends.
inline QImage saturatedScene() {
  testCard();
  QImage picture(160, 128, QImage::Format_RGB888);
  QPainter painter(&picture);
  painter.setPen(Qt::NoPen);
  painter.fillRect(0, 0, 160, 60, QColor(30, 70, 220));
  painter.fillRect(0, 60, 160, 68, QColor(40, 160, 30));
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(110, 34), 5, 5);
  painter.setBrush(Qt::black);
  painter.drawEllipse(QPointF(60, 86), 16, 4);
  painter.setBrush(QColor(230, 20, 25));
  painter.drawEllipse(QPointF(88, 76), 8, 8);
  painter.setBrush(QColor(250, 220, 0));
  painter.drawEllipse(QPointF(88, 76), 3, 3);
  return picture;
}

// Small patches of full black, white, red and blue (about 2 % of the sent area each) on a
// mid-grey ground.
inline QImage patchesOnGrey() {
  testCard();
  QImage picture(160, 128, QImage::Format_RGB888);
  picture.fill(QColor(128, 128, 128));
  QPainter painter(&picture);
  painter.fillRect(44, 30, 12, 12, Qt::black);
  painter.fillRect(104, 30, 12, 12, Qt::white);
  painter.fillRect(44, 74, 12, 12, Qt::red);
  painter.fillRect(104, 74, 12, 12, Qt::blue);
  return picture;
}

// A photo-like picture of middle tones between black columns at both edges of the sent columns,
// the way a picture narrower than the sent area comes out.
inline QImage blackEdgeColumns() {
  QImage picture = hazyLandscape();
  QPainter painter(&picture);
  painter.fillRect(32, 0, 12, 128, Qt::black);
  painter.fillRect(116, 0, 12, 128, Qt::black);
  return picture;
}

// Nine frames of `picture` sent, starting part-way into one: eight whole buffers reach the
// receiver.
inline std::vector<float> sentStill(const QImage& picture) {
  return sentPictures(9, 11000, [&picture](int) { return picture; });
}

}  // namespace mosaic::test
