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

// Windows-1252's characters for the bytes 0x80..0x9F; its other bytes are those of Latin-1.
// The five bytes it leaves undefined keep their own code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString crawlBytesToText(const std::string& bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F)
      text += QLatin1Char(' ');
    else if (b >= 0x80 && b < 0xA0)
      text += QChar(kCp1252High[b - 0x80]);
    else
      text += QChar(static_cast<char16_t>(b));
  }
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
