#pragma once
// The windows' controls sit at fixed places (dialog units with fixed base units, some in
// pixels), but their captions are drawn in whatever font and size the desktop gives. Fitting
// keeps every control at its place where its caption fits there; where it needs more room, the
// control grows to the right and downwards, and a control that it would then cover moves out of
// its way: to the right when it stands beside it, down when it stands below it. The window is
// then made as large as what it holds, so that every control shows whole.

#include <QRect>
#include <QSize>
#include <QStringList>

class QWidget;

namespace mosaic {

// Puts `control` at `place`, the place that fitting starts from each time it runs. A control
// whose caption changes while the program runs names its widest captions in `widestTexts`, so
// that the room it is given fits every one of them.
void placeControl(QWidget* control, const QRect& place, const QStringList& widestTexts = {});

// Fits the placed children of `parent` (the others are left alone) to their captions in their
// fonts now, as above; a child that holds placed controls of its own is fitted first and grows
// to hold them. Returns the size from `parent`'s top left corner that holds every placed child
// that is not hidden.
QSize fitControls(QWidget* parent);

}  // namespace mosaic
