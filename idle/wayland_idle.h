// Idle time from the Wayland compositor: an ext-idle-notify-v1 notification
// on the first seat, else an org_kde_kwin_idle timeout (sway 1.7 and KWin 5
// have only that one). The compositor tells when the watched time has passed
// without input and when input comes again; it already leaves out idle time
// that an inhibitor holds (a playing video), so nothing is held off here.
#pragma once

#include <memory>

#include "idle/idle_source.h"
#include "idle/idle_transitions.h"

namespace lumora {

class WaylandIdle : public IdleSource {
 public:
  // Connects to $WAYLAND_DISPLAY; nullptr when that fails. Throws
  // std::runtime_error when the compositor has no seat or offers neither
  // protocol.
  static std::unique_ptr<WaylandIdle> open();
  ~WaylandIdle() override;
  WaylandIdle(const WaylandIdle&) = delete;
  WaylandIdle& operator=(const WaylandIdle&) = delete;

  // "ext-idle-notify-v1" or "org_kde_kwin_idle".
  const char* protocol() const;

  void watch(std::int64_t thresholdMs) override;
  // Throws std::runtime_error when the connection to the compositor is lost.
  std::vector<std::int64_t> idleTimes(std::chrono::milliseconds wait) override;
  bool heldOff() override { return false; }

  struct Impl;

 private:
  explicit WaylandIdle(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace lumora
