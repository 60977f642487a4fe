#include "saver/ui/show_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/desktop/x11_window.h"

namespace lumora {

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

ShowWindowKeeper::ShowWindowKeeper(QWidget* window, bool bypassWindowManager, std::function<void()> reshow)
    : QObject(window), window_(window), bypass_(bypassWindowManager), reshow_(std::move(reshow)) {
  settle_.setSingleShot(true);
  settle_.setInterval(150);
  connect(&settle_, &QTimer::timeout, this, &ShowWindowKeeper::check);
  window->installEventFilter(this);
  window->winId();
  window->windowHandle()->installEventFilter(this);
  if (bypass_) {
    raise_.setInterval(kRaiseMs);
    connect(&raise_, &QTimer::timeout, this, &ShowWindowKeeper::keepOnTop);
    raise_.start();
  }
}

void ShowWindowKeeper::keepOnTop() {
  if (!window_->isVisible()) return;
  if (!x11WindowSize(std::uint32_t(window_->winId()))) {
    std::fputs("lumora: another program destroyed the show's window\n", stderr);
    std::fflush(stderr);
    std::_Exit(kLostWindowStatus);
  }
  window_->raise();
}

bool ShowWindowKeeper::eventFilter(QObject* watched, QEvent* event) {
  const bool stateChanged = watched == window_ && event->type() == QEvent::WindowStateChange;
  const bool exposeChanged = watched == window_->windowHandle() && event->type() == QEvent::Expose;
  if (stateChanged || exposeChanged) checkSoon();
  return false;
}

void ShowWindowKeeper::checkSoon() {
  if (!settle_.isActive()) settle_.start();
}

void ShowWindowKeeper::check() {
  if (!window_->isVisible()) return;  // hidden by the show itself
  const QWindow* handle = window_->windowHandle();
  const bool unmapped = bypass_ && handle && !handle->isExposed();
  if (window_->isMinimized() || unmapped) reshow_();
}

}  // namespace lumora
