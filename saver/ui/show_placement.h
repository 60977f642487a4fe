// How the show's full-screen windows (the show on the primary screen, the
// black covers of the others) come up on their screens. With the password
// on, on X11, they bypass the window manager (override-redirect): no window
// manager can stack, move or iconify a lock. Otherwise they are ordinary
// borderless stay-on-top windows in the full-screen state, which window
// managers and Wayland compositors put above panels, each on its own
// screen or output.
#pragma once

#include <Qt>

class QScreen;
class QWidget;

namespace lumora {

// True on Qt's Wayland platform (no grabs, no override-redirect).
bool onWaylandPlatform();

// The window flags of a show window.
Qt::WindowFlags showWindowFlags(bool bypassWindowManager);

// Shows `window` over the whole of `screen`.
void showOnScreen(QWidget* window, QScreen* screen, bool bypassWindowManager);

}  // namespace lumora
