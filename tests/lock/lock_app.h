// One offscreen QApplication for the lock's tests.
#pragma once

#include <QApplication>
#include <cstdlib>

namespace lumora::testing {

inline QApplication& lockApp() {
  static int argc = 1;
  static char name[] = "lock-tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace lumora::testing
