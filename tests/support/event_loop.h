#pragma once
// Qt's event loop in tests without windows: one QCoreApplication for a test program that needs
// no more, and a way to let the event loop run until something has happened.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace mosaic::test {

// For test programs without widgets; a program with widgets uses app() (tests/support/qt_app.h).
inline QCoreApplication& coreApp() {
  static int argc = 1;
  static char name[] = "mosaic_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing Qt down among other static destructors at exit crashes.
  static QCoreApplication* instance = new QCoreApplication(argc, argv);
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

// Runs the event loop for `ms`.
inline void runFor(int ms) {
  runUntil([] { return false; }, ms);
}

}  // namespace mosaic::test
