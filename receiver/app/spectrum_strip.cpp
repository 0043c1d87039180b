#include "receiver/app/spectrum_strip.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace mosaic {

namespace {
constexpr double kShownRangeDb = 60.0;  // from the strongest bin down
}

SpectrumStrip::SpectrumStrip(double lowHz, double highHz, QWidget* parent)
    : QWidget(parent), lowHz_(lowHz), highHz_(highHz) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void SpectrumStrip::setSpectrum(std::span<const float> db, double firstHz, double stepHz) {
  db_.assign(db.begin(), db.end());
  firstHz_ = firstHz;
  stepHz_ = stepHz;
  update();
}

void SpectrumStrip::setMarkers(std::vector<Marker> markers, std::vector<Band> bands) {
  markers_ = std::move(markers);
  bands_ = std::move(bands);
  update();
}

void SpectrumStrip::setCaption(const QString& caption) {
  caption_ = caption;
  update();
}

double SpectrumStrip::xOf(double hz) const {
  return (hz - lowHz_) / (highHz_ - lowHz_) * (width() - 1);
}

void SpectrumStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  for (const Band& b : bands_) {
    const double x0 = xOf(b.lowHz), x1 = xOf(b.highHz);
    p.fillRect(QRectF(x0, 0, std::max(1.0, x1 - x0), height()), b.colour);
  }
  if (!db_.empty()) {
    const float top = *std::max_element(db_.begin(), db_.end());
    const double h = height() - 1;
    QPainterPath path;
    bool started = false;
    for (std::size_t i = 0; i < db_.size(); ++i) {
      const double hz = firstHz_ + static_cast<double>(i) * stepHz_;
      if (hz < lowHz_ || hz > highHz_) continue;
      const double level = std::clamp((db_[i] - top + kShownRangeDb) / kShownRangeDb, 0.0, 1.0);
      const QPointF point(xOf(hz), h - level * h);
      if (started) {
        path.lineTo(point);
      } else {
        path.moveTo(point);
        started = true;
      }
    }
    p.setPen(QPen(QColor(230, 230, 230), 1));
    p.drawPath(path);
  }
  for (const Marker& m : markers_) {
    p.setPen(QPen(m.colour, m.width));
    const double x = xOf(m.hz);
    p.drawLine(QPointF(x, 0), QPointF(x, height() / 4.0));
  }
  if (!caption_.isEmpty()) {
    p.setPen(QColor(200, 200, 200));
    p.drawText(rect().adjusted(3, 0, -3, -1), Qt::AlignRight | Qt::AlignBottom, caption_);
  }
}

}  // namespace mosaic
