// Whether the windowed modes can reach a display, asked before Qt is started
// (Qt aborts the process when its platform cannot start).
#pragma once

#include <string>

namespace lumora {

// True when Qt's platform will find a display: a non-windowing platform
// chosen with QT_QPA_PLATFORM (offscreen, minimal...), a Wayland socket, or
// an X server that accepts a connection.
bool displayAvailable();

// Which windows a run makes: the show's own, or windows inside an X
// window the desktop gives (module mode), or ordinary windows (settings), or
// frames for the lock on Wayland (frame_export/: always "lumoraframes").
enum class WindowKind { Show, InsideXWindow, Ordinary, LockFrames };

// The Qt platform plugin (list) a run asks for, from the environment's
// QT_QPA_PLATFORM, WAYLAND_DISPLAY and DISPLAY; empty leaves the choice to
// Qt (QT_QPA_PLATFORM set by the user, or no display at all). The show takes
// Wayland whenever a Wayland socket is named, as X11 (Xwayland) can neither
// cover the outputs nor hold the compositor's idle off; xcb when only an X
// display is; module mode needs X11 window ids.
std::string platformFor(WindowKind kind, const std::string& qtQpaPlatform, const std::string& waylandDisplay,
                        const std::string& x11Display);
// The same, from this process's environment.
std::string platformFor(WindowKind kind);

// The one line printed when it cannot.
inline constexpr const char* kNoDisplayMessage = "lumora: cannot open the display\n";

}  // namespace lumora
