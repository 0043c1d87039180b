#include "tools/quality/picture_strip.h"

#include <QFont>
#include <QPainter>

#include <algorithm>

namespace mosaic::tool {

namespace {
constexpr int kGap = 4;       // [px] between pictures
constexpr int kCaption = 18;  // [px] caption height
}  // namespace

QImage drawPictureStrip(const std::vector<StripColumn>& columns, int cellWidth, int cellHeight) {
  std::size_t rows = 0;
  for (const auto& c : columns) rows = std::max(rows, c.rows.size());
  const int width = kGap + static_cast<int>(columns.size()) * (cellWidth + kGap);
  const int height = kCaption + static_cast<int>(rows) * (cellHeight + kGap);
  QImage strip(width, height, QImage::Format_RGB888);
  strip.fill(QColor(32, 32, 32));
  QPainter p(&strip);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const int x = kGap + static_cast<int>(c) * (cellWidth + kGap);
    p.drawText(QRect(x, 0, cellWidth, kCaption), Qt::AlignCenter,
               QString::fromStdString(columns[c].caption));
    for (std::size_t r = 0; r < columns[c].rows.size(); ++r) {
      const int y = kCaption + static_cast<int>(r) * (cellHeight + kGap);
      p.drawImage(QRect(x, y, cellWidth, cellHeight), columns[c].rows[r]);
    }
  }
  p.end();
  return strip;
}

}  // namespace mosaic::tool
