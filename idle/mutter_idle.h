// Idle time from GNOME's Mutter over the session bus
// (org.gnome.Mutter.IdleMonitor at /org/gnome/Mutter/IdleMonitor/Core): an
// idle watch for the watched time and, once it fires, a user-active watch for
// the next input. The start is held off while the session holds an idle
// inhibitor (org.gnome.SessionManager IsInhibited, flag 8), as GNOME's own
// blanking is.
#pragma once

#include <memory>
#include <string>

#include "idle/idle_source.h"

namespace lumora {

class MutterIdle : public IdleSource {
 public:
  // Connects to the bus at address; nullptr when it cannot be reached or no
  // one owns org.gnome.Mutter.IdleMonitor there. Makes the process's
  // QCoreApplication when there is none (D-Bus signals need its event loop).
  static std::unique_ptr<MutterIdle> open(const std::string& busAddress);
  ~MutterIdle() override;
  MutterIdle(const MutterIdle&) = delete;
  MutterIdle& operator=(const MutterIdle&) = delete;

  // Throws std::runtime_error when Mutter refuses the watch.
  void watch(std::int64_t thresholdMs) override;
  // Throws std::runtime_error when the bus connection is lost.
  std::vector<std::int64_t> idleTimes(std::chrono::milliseconds wait) override;
  bool heldOff() override;

  struct Impl;

 private:
  explicit MutterIdle(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace lumora
