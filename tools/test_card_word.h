#pragma once
// The word "MOSAIC" on the test card's dark band, drawn from a fixed mask of how much of each
// pixel its letters cover rather than through the font engine, whose rasterising and smoothing
// differ between processors and library versions: the card has the same pixels everywhere.

#include <QImage>

namespace mosaic::tool {

// Lightens each pixel of the word's place on the 160 x 128 card towards white by its cover.
void drawTestCardWord(QImage& card);

}  // namespace mosaic::tool
