#pragma once
// One QApplication for all tests of a test program (widgets need it before they are made).

#include <QApplication>

namespace mosaic {

inline QApplication& testApp() {
  static int argc = 1;
  static char name[] = "pttswitch_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing Qt down among other static destructors at exit crashes.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace mosaic
