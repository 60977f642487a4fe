// Where the idle watcher learns how long the session has been idle: the X
// server (MIT-SCREEN-SAVER), the Wayland compositor (ext-idle-notify-v1 or
// org_kde_kwin_idle) or GNOME's Mutter (its IdleMonitor over D-Bus).
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace lumora {

class IdleSource {
 public:
  virtual ~IdleSource() = default;

  // The idle time that counts (the watcher's threshold, above 0). Sources
  // that are only told when the session becomes idle watch for this time; a
  // new value starts their count again from now.
  virtual void watch(std::int64_t thresholdMs) = 0;

  // Waits up to `wait` for news and gives the idle times (ms) seen since the
  // last call, oldest first, ending with the current one (never empty). A
  // source told of changes gives one entry per change, so that a short use
  // between two idle periods is not lost between two calls.
  virtual std::vector<std::int64_t> idleTimes(std::chrono::milliseconds wait) = 0;

  // True when something holds the idle start off now: a focused full-screen
  // window (X11), an idle inhibitor of the session (GNOME).
  virtual bool heldOff() = 0;
};

}  // namespace lumora
