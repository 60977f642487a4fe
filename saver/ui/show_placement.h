// How the show's full-screen windows (the show on the primary screen, the
// black covers of the others) come up on their screens. With the password
// on, on X11, they bypass the window manager (override-redirect): no window
// manager can stack, move or iconify a lock. Otherwise they are ordinary
// borderless stay-on-top windows in the full-screen state, which window
// managers and Wayland compositors put above panels, each on its own
// screen or output.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <Qt>
#include <functional>

#include "platform/desktop/qt_platform.h"

class QScreen;
class QWidget;

namespace lumora {

// The window flags of a show window.
Qt::WindowFlags showWindowFlags(bool bypassWindowManager);

// Shows `window` over the whole of `screen`.
void showOnScreen(QWidget* window, QScreen* screen, bool bypassWindowManager);

// Keeps a show window up: when anyone iconifies it, or unmaps one that
// bypasses the window manager behind Qt's back (X11; a window manager unmaps
// managed windows itself, on other workspaces), `reshow` is called to put it
// back at once. A window that bypasses the window manager is also raised
// twice a second (another program's window may have been put over it), and
// when another program destroys it the process ends with kLostWindowStatus:
// the watcher of a show with the password on then covers the screen again.
// Lives as a child of the window.
class ShowWindowKeeper : public QObject {
 public:
  static constexpr int kLostWindowStatus = 3;
  static constexpr int kRaiseMs = 500;

  ShowWindowKeeper(QWidget* window, bool bypassWindowManager, std::function<void()> reshow);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void checkSoon();
  void check();
  void keepOnTop();

  QWidget* window_;
  bool bypass_;
  std::function<void()> reshow_;
  QTimer settle_;  // an unmap is acted on when it lasts (not a flicker)
  QTimer raise_;   // bypassing: raised again now and then
};

}  // namespace lumora
