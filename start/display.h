// Whether the windowed modes can reach a display, asked before Qt is started
// (Qt aborts the process when its platform cannot start).
#pragma once

namespace lumora {

// True when Qt's platform will find a display: a non-windowing platform
// chosen with QT_QPA_PLATFORM (offscreen, minimal...), a Wayland socket, or
// an X server that accepts a connection.
bool displayAvailable();

// The one line printed when it cannot.
inline constexpr const char* kNoDisplayMessage = "lumora: cannot open the display\n";

}  // namespace lumora
