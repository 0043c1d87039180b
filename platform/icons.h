#pragma once
// The programs' icons ("icon1"): a 16 x 16 image that the transmitter and the receiver share,
// and a 32 x 32 image of each program's own, all in the 16 standard colours.

#include <QIcon>
#include <QImage>

namespace mosaic {

enum class IconProgram { Transmitter, Receiver };

// The shared 16 x 16 image: a small television showing colour bars.
QImage smallIconImage();
// The 32 x 32 image of a program: the television with waves going out (transmitter) or coming
// in (receiver).
QImage largeIconImage(IconProgram program);
// Both images as one icon, for a window.
QIcon programIcon(IconProgram program);

}  // namespace mosaic
