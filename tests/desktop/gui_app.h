// The one QGuiApplication of the desktop tests, on the offscreen platform
// unless another is chosen.
#pragma once

#include <QGuiApplication>

namespace lumora::test {

inline QGuiApplication& guiApp() {
  static int argc = 1;
  static char name[] = "desktop_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(argc, argv);
  return app;
}

}  // namespace lumora::test
