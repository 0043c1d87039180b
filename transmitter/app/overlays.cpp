#include "transmitter/app/overlays.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>

namespace mosaic {

namespace {

const QColor kCrawlBackground(192, 192, 192);
const QColor kCrawlInk(0, 0, 255);
const QColor kMarkerYellow(255, 255, 0);
constexpr int kMarkerWidth = 2;  // [px]

}  // namespace

QString crawlBytesToText(const std::string& bytes) {
  QString text = QString::fromUtf8(bytes);
  for (QChar& c : text)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char(' ');
  return text;
}

QFont crawlFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(18);
  font.setBold(true);
  font.setItalic(true);
  font.setStyleStrategy(QFont::NoAntialias);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

void drawCrawlWindow(QPainter& painter, const std::string& window) {
  if (window.empty()) return;
  const QString text = crawlBytesToText(window);
  const QFont font = crawlFont();
  const QFontMetrics metrics(font);
  // Opaque cells: the background covers the text's advance and the font's full cell height.
  const QRect cells(kCrawlTextOrigin, QSize(metrics.horizontalAdvance(text), metrics.height()));
  painter.save();
  painter.fillRect(cells, kCrawlBackground);
  painter.setFont(font);
  painter.setPen(kCrawlInk);
  painter.drawText(QPoint(kCrawlTextOrigin.x(), kCrawlTextOrigin.y() + metrics.ascent()), text);
  painter.restore();
}

void drawMarkerFrame(QPainter& painter) {
  // A 2-px line through coordinate v covers pixels v - 1 and v.
  constexpr int left = 32, top = 20, right = 130, bottom = 96, w = kMarkerWidth;
  const int spanX = right - left + w, spanY = bottom - top + w;
  painter.fillRect(QRect(left - 1, top - 1, w, spanY), kMarkerYellow);
  painter.fillRect(QRect(left - 1, bottom - 1, spanX, w), kMarkerYellow);
  painter.fillRect(QRect(right - 1, top - 1, w, spanY), kMarkerYellow);
  painter.fillRect(QRect(left - 1, top - 1, spanX, w), kMarkerYellow);
}

}  // namespace mosaic
