#pragma once
// The numeric ids of the windows' controls and menu items are kept as data: each control and
// menu action carries its id as its object name, by which tests, probes and accessibility
// tools find it. The windows connect every control to a handler of its own and never route
// their work by id.

#include <QAction>
#include <QString>
#include <QWidget>

namespace mosaic {

inline QString controlName(int id) { return QString::number(id); }

// Gives `object` the name of `id`, and returns it.
template <typename T>
T* withId(T* object, int id) {
  object->setObjectName(controlName(id));
  return object;
}

// The control with this id inside `window`, or null.
inline QWidget* findControl(const QWidget* window, int id) {
  return window->findChild<QWidget*>(controlName(id));
}

// The menu action with this id inside `window`, or null.
inline QAction* findMenuAction(const QWidget* window, int id) {
  return window->findChild<QAction*>(controlName(id));
}

}  // namespace mosaic
