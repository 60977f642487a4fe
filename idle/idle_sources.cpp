#include "idle/idle_sources.h"

#include <cstdlib>
#include <exception>
#include <stdexcept>

#include "idle/mutter_idle.h"
#include "idle/wayland_idle.h"
#include "idle/x11_session.h"
#include "platform/core/session_bus.h"

namespace lumora {

namespace {

// As every other mode of the program says it.
constexpr const char* kNoDisplay = "cannot open the display";

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Each opener gives nullptr when the session does not have its source, and
// throws with the reason when it has it but the source cannot be used.
ChosenIdleSource openMutter() {
  // main() settled the session bus's address before anything else.
  if (!hasSessionBus()) return {};
  auto source = MutterIdle::open(environment("DBUS_SESSION_BUS_ADDRESS"));
  if (!source) return {};
  return {std::move(source), "GNOME's Mutter (org.gnome.Mutter.IdleMonitor)"};
}

ChosenIdleSource openWayland() {
  if (environment("WAYLAND_DISPLAY").empty()) return {};
  auto source = WaylandIdle::open();
  if (!source) return {};  // no compositor there after all
  const std::string name = std::string("the Wayland compositor (") + source->protocol() + ")";
  return {std::move(source), name};
}

ChosenIdleSource openX11() {
  if (environment("DISPLAY").empty()) return {};
  auto source = X11Session::open();
  if (!source) throw std::runtime_error(kNoDisplay);
  return {std::move(source), "the X server (MIT-SCREEN-SAVER)"};
}

struct Opener {
  ChosenIdleSource (*open)();
  // The session has this source but it cannot be used: stop there. A
  // Wayland session's X server is Xwayland, whose idle time sees no input
  // to Wayland windows and would start the show while the user works.
  bool failureIsFinal;
};

constexpr Opener kOpeners[] = {{openMutter, false}, {openWayland, true}, {openX11, false}};

}  // namespace

ChosenIdleSource openIdleSource() {
  if (environment("WAYLAND_DISPLAY").empty() && environment("DISPLAY").empty()) throw std::runtime_error(kNoDisplay);
  std::string reasons;
  for (const Opener& opener : kOpeners) {
    try {
      if (ChosenIdleSource chosen = opener.open(); chosen.source) return chosen;
    } catch (const std::exception& e) {
      if (reasons.find(e.what()) == std::string::npos) reasons += (reasons.empty() ? "" : "; ") + std::string(e.what());
      if (opener.failureIsFinal) break;
    }
  }
  throw std::runtime_error(reasons.empty() ? kNoDisplay : reasons);
}

}  // namespace lumora
