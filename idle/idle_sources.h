// Which source the idle watcher asks, by what the session has, first match
// first: GNOME's Mutter when the session bus (only one the session already
// has) carries org.gnome.Mutter.IdleMonitor; the Wayland compositor when
// WAYLAND_DISPLAY is set; the X server when DISPLAY is set, but not after a
// compositor that was reached lacks the idle protocols (Xwayland's idle time
// knows nothing of Wayland input).
#pragma once

#include <memory>
#include <string>

#include "idle/idle_source.h"

namespace lumora {

struct ChosenIdleSource {
  std::unique_ptr<IdleSource> source;
  std::string name;  // what it is, for the watcher's first line
};

// Throws std::runtime_error with one line: "cannot open the display" when
// neither WAYLAND_DISPLAY nor DISPLAY is set or none can be reached, else
// each reason why the session's sources cannot be used.
ChosenIdleSource openIdleSource();

}  // namespace lumora
