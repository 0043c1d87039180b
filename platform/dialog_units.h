#pragma once
// Dialog units of the programs' layouts, mapped to pixels with fixed base units of 6 x 13 pixels
// (those of an 8-point sans font): x = du * 6 / 4, y = du * 13 / 8, rounded to nearest.

#include <QFont>
#include <QRect>

namespace mosaic {

int dialogUnitsToPixelsX(int du);
int dialogUnitsToPixelsY(int du);

// A rectangle given in dialog units (x, y, width, height), in pixels.
QRect dialogRect(int x, int y, int width, int height);

// The programs' dialog font: a narrow sans serif of 8 points.
QFont dialogFont();

}  // namespace mosaic
