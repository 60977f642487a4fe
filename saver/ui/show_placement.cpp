#include "saver/ui/show_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace lumora {

bool onWaylandPlatform() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

Qt::WindowFlags showWindowFlags(bool bypassWindowManager) {
  Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
  if (bypassWindowManager) flags |= Qt::X11BypassWindowManagerHint;
  return flags;
}

void showOnScreen(QWidget* window, QScreen* screen, bool bypassWindowManager) {
  if (!screen) return;
  window->winId();  // the native window, so that its screen can be set
  window->windowHandle()->setScreen(screen);
  window->setGeometry(screen->geometry());
  if (bypassWindowManager) {
    // Nobody manages the window: it takes the screen's place itself.
    window->show();
    window->raise();
  } else {
    window->showFullScreen();
    window->raise();
  }
}

}  // namespace lumora
