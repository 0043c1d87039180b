#pragma once
// The built-in test card: colour bars, grey steps and a station text, laid out so that the
// part the transmitter sends (client columns 34..127, rows 22..93) holds all three.

#include <QImage>

namespace mosaic::tool {

// A 160 x 128 picture for the transmitter's video area.
QImage drawTestCard();

}  // namespace mosaic::tool
