#include "receiver/app/direct_paint_target.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QTransform>

#include <cmath>

namespace mosaic {

namespace {

bool whole(double v) { return std::isfinite(v) && v == std::round(v); }

// The painter's transform when it is the scale by `ratio` and a shift by whole device pixels.
std::optional<QTransform> plainTransform(const QPainter& painter, double ratio) {
  const QTransform t = painter.deviceTransform();
  if (t.type() > QTransform::TxScale || t.m11() != ratio || t.m22() != ratio) return std::nullopt;
  if (!whole(t.dx()) || !whole(t.dy())) return std::nullopt;
  return t;
}

}  // namespace

std::optional<DirectPaintTarget> directPaintTarget(QPainter& painter, const QRegion& region,
                                                   double ratio) {
  if (!painter.isActive() || painter.hasClipping() || painter.opacity() != 1.0) return std::nullopt;
  const QPainter::CompositionMode mode = painter.compositionMode();
  if (mode != QPainter::CompositionMode_SourceOver && mode != QPainter::CompositionMode_Source)
    return std::nullopt;
  QPaintEngine* engine = painter.paintEngine();
  if (engine == nullptr || engine->type() != QPaintEngine::Raster) return std::nullopt;
  QPaintDevice* device = engine->paintDevice();
  if (device == nullptr || device->devType() != QInternal::Image) return std::nullopt;
  auto* image = static_cast<QImage*>(device);
  if (image->format() != QImage::Format_RGB32 &&
      image->format() != QImage::Format_ARGB32_Premultiplied)
    return std::nullopt;
  // While it is painted on, an image is not shared, and its pixels are those the engine writes;
  // bits() on a shared one would give a copy instead.
  if (!image->isDetached() || image->devicePixelRatio() != ratio) return std::nullopt;
  const auto transform = plainTransform(painter, ratio);
  if (!transform) return std::nullopt;

  DirectPaintTarget target;
  target.writable = transform->map(region) & image->rect();
  // The engine's own clip: the region being painted as the window system gave it.
  const QRegion systemClip = engine->systemClip();
  if (!systemClip.isEmpty()) target.writable &= systemClip;
  target.pixels = reinterpret_cast<std::uint32_t*>(image->bits());
  target.stride = image->bytesPerLine() / static_cast<std::ptrdiff_t>(sizeof(std::uint32_t));
  return target;
}

std::optional<QPoint> devicePixel(const QPainter& painter, QPoint at) {
  const QPointF mapped = painter.deviceTransform().map(QPointF(at));
  if (!whole(mapped.x()) || !whole(mapped.y())) return std::nullopt;
  return QPoint(static_cast<int>(mapped.x()), static_cast<int>(mapped.y()));
}

}  // namespace mosaic
