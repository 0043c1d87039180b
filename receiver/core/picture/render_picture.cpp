#include "receiver/core/picture/render_picture.h"

#include "receiver/core/picture/colour_composition.h"
#include "receiver/core/picture/picture_filters.h"

namespace mosaic {

void renderPicture(const SymbolPlanes& planes, const DisplaySettings& settings,
                   PictureBitmap& bitmap) {
  composePicture(planes, settings, bitmap);
  if (settings.horizontalFilter) filterHorizontally(bitmap);
  verticalStep(bitmap, settings.verticalInterpolation);
}

}  // namespace mosaic
