#pragma once
// Two natural-looking pictures for measuring picture quality, drawn here so that nothing has to
// be shipped or fetched: an outdoor scene of smooth gradients and soft edges, and a head and
// shoulders portrait, the subject people judge a picture by. Both keep their content inside the
// part of the video area the transmitter sends (client columns 34..127, rows 22..93).

#include <QImage>

namespace mosaic::tool {

// A 160 x 128 landscape: sky, sun, hills, a lake and a red-roofed house.
QImage drawLandscape();

// A 160 x 128 portrait: a face with hair, eyes and mouth before a coloured background.
QImage drawPortrait();

}  // namespace mosaic::tool
