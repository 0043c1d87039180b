#pragma once
// Picture reconstruction of one run: composition, noise filter, horizontal filter, vertical step.

#include "receiver/core/demodulation/symbol_planes.h"
#include "receiver/core/picture/display_settings.h"
#include "receiver/core/picture/picture_bitmap.h"

namespace mosaic {

// Updates `bitmap` in place from the planes of the run under `settings`.
void renderPicture(const SymbolPlanes& planes, const DisplaySettings& settings,
                   PictureBitmap& bitmap);

// The part of the bitmap that the window shows, counted in bitmap pixels from the bottom left.
struct SourceRect {
  int x;
  int y;  // first row, counted from the bottom
  int width;
  int height;
};

// Small: rows 0..191 of both frames, 1:1. Large: the newest 48 symbols (x 0..143) and rows
// 28..135 (exactly the luminance slots 10..45), stretched to 288 x 192.
constexpr SourceRect sourceRect(ScreenSize size) {
  return size == ScreenSize::Small ? SourceRect{0, 0, kPictureWidth, kShownRows}
                                   : SourceRect{0, 28, 144, 108};
}

}  // namespace mosaic
