#include "tools/quality/quality_plot.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace mosaic::tool {

namespace {

constexpr int kWidth = 760, kHeight = 440;
constexpr int kLeft = 60, kRight = 560, kTop = 36, kBottom = 390;  // the plot area [px]

// The top of the error axis: the largest value rounded up to a multiple of 10.
double errorTop(const std::vector<PlotCurve>& curves, std::optional<double> limit) {
  double top = limit.value_or(0.0);
  for (const auto& c : curves)
    for (const auto& [snr, error] : c.points) top = std::max(top, error);
  return std::max(10.0, std::ceil(top / 10.0) * 10.0);
}

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QColor curveColour(int index) {
  static const QColor colours[] = {
      QColor(0, 0, 0),     QColor(31, 119, 180),  QColor(44, 160, 44), QColor(255, 127, 14),
      QColor(214, 39, 40), QColor(148, 103, 189), QColor(140, 86, 75), QColor(23, 190, 207)};
  return colours[index % 8];
}

QImage drawErrorPlot(const PlotText& labels, const std::vector<PlotCurve>& curves) {
  QImage image(kWidth, kHeight, QImage::Format_RGB888);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  p.setFont(font);

  double snrLow = 0.0, snrHigh = 30.0;
  for (const auto& c : curves)
    for (const auto& pt : c.points) {
      snrLow = std::min(snrLow, pt.first);
      snrHigh = std::max(snrHigh, pt.first);
    }
  const double top = errorTop(curves, labels.limit);
  const auto x = [&](double snr) {
    return kLeft + (snr - snrLow) / (snrHigh - snrLow) * (kRight - kLeft);
  };
  const auto y = [&](double error) { return kBottom - error / top * (kBottom - kTop); };

  // Grid and axes.
  p.setPen(QPen(QColor(225, 225, 225), 1));
  for (double snr = snrLow; snr <= snrHigh + 1e-9; snr += 3.0)
    p.drawLine(QPointF(x(snr), kTop), QPointF(x(snr), kBottom));
  const double step = top / 8.0 >= 10.0 ? 20.0 : (top / 8.0 >= 5.0 ? 10.0 : 5.0);
  for (double e = 0.0; e <= top + 1e-9; e += step)
    p.drawLine(QPointF(kLeft, y(e)), QPointF(kRight, y(e)));
  p.setPen(QPen(Qt::black, 1));
  p.drawRect(QRectF(kLeft, kTop, kRight - kLeft, kBottom - kTop));
  for (double snr = snrLow; snr <= snrHigh + 1e-9; snr += 3.0)
    p.drawText(QRectF(x(snr) - 20, kBottom + 4, 40, 16), Qt::AlignCenter,
               QString::number(snr, 'f', 0));
  for (double e = 0.0; e <= top + 1e-9; e += step)
    p.drawText(QRectF(kLeft - 46, y(e) - 8, 40, 16), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(e, 'f', 0));
  p.drawText(QRectF(kLeft, kBottom + 22, kRight - kLeft, 16), Qt::AlignCenter,
             QStringLiteral("SNR in 3000 Hz [dB]"));
  p.save();
  p.translate(14, (kTop + kBottom) / 2.0);
  p.rotate(-90);
  p.drawText(QRectF(-150, -8, 300, 16), Qt::AlignCenter, text(labels.yLabel));
  p.restore();
  QFont bold = font;
  bold.setBold(true);
  bold.setPixelSize(14);
  p.setFont(bold);
  p.drawText(QRectF(kLeft, 8, kRight - kLeft, 20), Qt::AlignCenter, text(labels.title));
  p.setFont(font);

  if (labels.limit) {
    p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DotLine));
    p.drawLine(QPointF(kLeft, y(*labels.limit)), QPointF(kRight, y(*labels.limit)));
    p.drawText(QRectF(kLeft + 4, y(*labels.limit) - 16, 300, 14), Qt::AlignLeft,
               text(labels.limitLabel));
  }

  // Curves with a dot at every point, and the legend.
  int row = 0;
  for (const auto& c : curves) {
    QPen pen(c.colour, 2, c.style);
    p.setPen(pen);
    QPainterPath path;
    for (std::size_t i = 0; i < c.points.size(); ++i) {
      const QPointF at(x(c.points[i].first), y(c.points[i].second));
      if (i == 0)
        path.moveTo(at);
      else
        path.lineTo(at);
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setBrush(c.colour);
    p.setPen(Qt::NoPen);
    for (const auto& [snr, error] : c.points) p.drawEllipse(QPointF(x(snr), y(error)), 2.5, 2.5);
    const double ly = kTop + 8 + 18 * row++;
    p.setPen(pen);
    p.drawLine(QPointF(kRight + 12, ly), QPointF(kRight + 40, ly));
    p.setPen(Qt::black);
    p.drawText(QRectF(kRight + 46, ly - 8, kWidth - kRight - 50, 16),
               Qt::AlignLeft | Qt::AlignVCenter, text(c.label));
  }
  p.end();
  return image;
}

}  // namespace mosaic::tool
