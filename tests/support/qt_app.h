#pragma once
// One QApplication for all tests of a test program (widgets need it before they are made), and
// the modal dialogs that tests answer. Running the event loop: tests/support/event_loop.h.

#include "tests/support/event_loop.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace mosaic::test {

inline QApplication& app() {
  static int argc = 1;
  static char name[] = "mosaic_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing Qt down among other static destructors at exit crashes.
  static QApplication* instance = new QApplication(argc, argv);
  return *instance;
}

// Runs `step` on the modal dialog that is open once the event loop runs.
// A dialog still open after five seconds is closed, so that the test can never hang on it
// (while `context` lives).
inline void onNextModal(QObject* context, const std::function<void(QWidget*)>& step) {
  QTimer::singleShot(0, context, [step] { step(QApplication::activeModalWidget()); });
  QTimer::singleShot(5000, context, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
}

}  // namespace mosaic::test
