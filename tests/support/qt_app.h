#pragma once
// One QApplication for all tests of a test program (widgets need it before they are made), and
// a way to let the event loop run until something has happened.

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

namespace mosaic::test {

inline QApplication& app() {
  static int argc = 1;
  static char name[] = "mosaic_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing Qt down among other static destructors at exit crashes.
  static QApplication* instance = new QApplication(argc, argv);
  return *instance;
}

// Runs the event loop until `done` holds or `timeoutMs` passes; returns `done()`.
template <typename Done>
bool runUntil(Done done, int timeoutMs) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  poll.start(10);
  if (!done()) loop.exec();
  return done();
}

}  // namespace mosaic::test
