// What the idle watcher asks the X server: the time since the last input
// (MIT-SCREEN-SAVER extension) and whether the focused window is full screen.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "idle/idle_source.h"

namespace lumora {

class X11Session : public IdleSource {
 public:
  // Opens $DISPLAY; nullptr when it cannot be opened. Throws
  // std::runtime_error when the server lacks the MIT-SCREEN-SAVER extension.
  static std::unique_ptr<X11Session> open();
  ~X11Session() override;
  X11Session(const X11Session&) = delete;
  X11Session& operator=(const X11Session&) = delete;

  // Milliseconds since the last key, button or pointer motion.
  std::int64_t idleMs();

  // True when the focused window (the window manager's _NET_ACTIVE_WINDOW,
  // else the input focus) is in the _NET_WM_STATE_FULLSCREEN state or its
  // top-level window covers the whole screen.
  bool fullScreenFocused();

  // The server is asked each time: nothing to watch for.
  void watch(std::int64_t) override {}
  // Sleeps for `wait`, then gives the idle time.
  std::vector<std::int64_t> idleTimes(std::chrono::milliseconds wait) override;
  bool heldOff() override { return fullScreenFocused(); }

 private:
  struct Impl;
  explicit X11Session(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace lumora
