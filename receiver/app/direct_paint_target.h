#pragma once
// Where a painter's pixels really go, when that is a 32-bit opaque-capable image in memory and
// the painter would copy an opaque picture onto it unchanged: then a view may write its pixels
// there itself, in one pass, instead of making them elsewhere for the painter to copy. This is
// what the window system's raster backing store is (and QWidget::render or grab into an image).

#include <QPoint>
#include <QRegion>

#include <cstddef>
#include <cstdint>
#include <optional>

class QPainter;

namespace mosaic {

struct DirectPaintTarget {
  std::uint32_t* pixels = nullptr;  // device pixel (0, 0), 0xAARRGGBB in native order
  std::ptrdiff_t stride = 0;        // [pixels] from one row to the next
  // The device pixels that may be written: the region to paint as the painter's clip has it,
  // within the device.
  QRegion writable;
};

// The device behind `painter` when it may be written directly: a raster engine painting into a
// QImage of Format_RGB32 or Format_ARGB32_Premultiplied with `ratio` device pixels per logical
// one, no clip, opacity or blending of the painter's own, and a transform that is the scale by
// `ratio` and a shift by whole pixels. `region` is the region to paint, in the painter's logical
// coordinates. Otherwise nothing, and the caller paints through the painter.
std::optional<DirectPaintTarget> directPaintTarget(QPainter& painter, const QRegion& region,
                                                   double ratio);

// Where the painter of a direct target puts logical point `at`, in whole device pixels;
// nothing when it falls between pixels.
std::optional<QPoint> devicePixel(const QPainter& painter, QPoint at);

}  // namespace mosaic
