#pragma once
// One QApplication for all tests of a test program (widgets need it before they are made), and
// a way to let the event loop run until something has happened.

#include <QApplication>
#include <QEventLoop>
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

// Runs the event loop until `done` holds or `timeoutMs` passes; returns whether it held. The
// answer seen is the one returned: `done` is not asked again, since asking a real device (a
// rigctld, a sound server) twice can give two answers.
template <typename Done>
bool runUntil(Done done, int timeoutMs) {
  bool held = done();
  if (held) return true;
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (!held && done()) {
      held = true;
      loop.quit();
    }
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  poll.start(10);
  loop.exec();
  return held;
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
