#include "tools/test_card.h"

#include "tools/test_card_word.h"

#include <QColor>
#include <QPainter>

namespace mosaic::tool {

QImage drawTestCard() {
  QImage card(160, 128, QImage::Format_RGB888);
  card.fill(QColor(64, 64, 64));
  QPainter p(&card);

  // Eight colour bars across the sent columns, in falling luminance.
  const QColor bars[] = {Qt::white,   Qt::yellow, Qt::cyan, Qt::green,
                         Qt::magenta, Qt::red,    Qt::blue, Qt::black};
  for (int i = 0; i < 8; ++i) p.fillRect(32 + 12 * i, 20, 12, 36, bars[i]);

  // Six grey steps from black to white.
  for (int i = 0; i < 6; ++i) {
    const int level = i * 255 / 5;
    p.fillRect(32 + 16 * i, 56, 16, 18, QColor(level, level, level));
  }

  // The station text on a dark band.
  p.fillRect(32, 74, 96, 22, QColor(0, 0, 96));
  p.end();
  drawTestCardWord(card);
  return card;
}

}  // namespace mosaic::tool
