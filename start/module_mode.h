// Module mode: the show inside a window the desktop gives (XScreenSaver's
// `-root`, or any `-window-id ID`), ended by SIGTERM, SIGINT or SIGHUP.
#pragma once

#include <cstdint>
#include <optional>

namespace lumora {

// Needs the QApplication. `windowId` nullopt: $XSCREENSAVER_WINDOW, else the
// root window. Returns the exit status (1 with a message when the window
// does not exist or the platform is not X11).
int runModule(std::optional<std::uint32_t> windowId);

}  // namespace lumora
