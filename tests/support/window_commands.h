#pragma once
// Carries out a window's command as the operator does: the menu item with that id is chosen or,
// where the window has none, the button with that id is clicked.

#include "platform/control_names.h"

#include <QAbstractButton>
#include <QAction>

#include <gtest/gtest.h>

namespace mosaic::test {

inline void command(const QWidget& window, int id) {
  if (QAction* action = findMenuAction(&window, id)) {
    action->trigger();
    return;
  }
  auto* button = qobject_cast<QAbstractButton*>(findControl(&window, id));
  ASSERT_NE(button, nullptr) << "the window has no command " << id;
  button->click();
}

}  // namespace mosaic::test
