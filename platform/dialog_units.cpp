#include "platform/dialog_units.h"

#include <cmath>

namespace mosaic {

namespace {
constexpr int kBaseUnitX = 6;   // [px per 4 dialog units]
constexpr int kBaseUnitY = 13;  // [px per 8 dialog units]
}  // namespace

int dialogUnitsToPixelsX(int du) { return static_cast<int>(std::nearbyint(du * kBaseUnitX / 4.0)); }

int dialogUnitsToPixelsY(int du) { return static_cast<int>(std::nearbyint(du * kBaseUnitY / 8.0)); }

QRect dialogRect(int x, int y, int width, int height) {
  return QRect(dialogUnitsToPixelsX(x), dialogUnitsToPixelsY(y), dialogUnitsToPixelsX(width),
               dialogUnitsToPixelsY(height));
}

QFont dialogFont() {
  // Liberation Sans has the metrics of the narrow sans serif faces the layouts were drawn for;
  // the usual Linux default is wide enough to clip several captions at their given widths.
  QFont font(QStringLiteral("Liberation Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

}  // namespace mosaic
