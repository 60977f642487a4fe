// While it lives, the compositor keeps the session from going idle (no
// blanking, no locking, no idle actions) as long as the window's Wayland
// surface is visible: zwp_idle_inhibit_manager_v1 of the idle-inhibit
// protocol, bound on the application's own Wayland connection with a queue
// of its own. Off Wayland, or when the compositor has no such manager, it
// does nothing (active() is false).
#pragma once

#include <memory>

class QWindow;

namespace lumora {

class WaylandIdleInhibit {
 public:
  explicit WaylandIdleInhibit(QWindow* window);
  ~WaylandIdleInhibit();
  WaylandIdleInhibit(const WaylandIdleInhibit&) = delete;
  WaylandIdleInhibit& operator=(const WaylandIdleInhibit&) = delete;

  bool active() const;

 private:
  struct Protocol;
  std::unique_ptr<Protocol> protocol_;
};

}  // namespace lumora
