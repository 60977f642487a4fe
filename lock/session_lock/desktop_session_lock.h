// Locks the session through the desktop's own lock, for where the lock
// cannot hold the screen itself (GNOME's mutter lets no client do that):
// logind's Lock on this session (XDG_SESSION_ID, else the session of this
// process), else org.freedesktop.ScreenSaver's Lock on the session bus.
#pragma once

#include <string>

namespace lumora {

// Says on standard error why and through what; false when neither answered.
bool lockDesktopSession(const std::string& why);

}  // namespace lumora
