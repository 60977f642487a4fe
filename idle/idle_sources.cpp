#include "idle/idle_sources.h"

#include <cstdlib>
#include <exception>
#include <stdexcept>

#include "idle/mutter_idle.h"
#include "idle/session_bus.h"
#include "idle/wayland_idle.h"
#include "idle/x11_session.h"

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
  const auto address = sessionBusAddress();
  if (!address) return {};
  auto source = MutterIdle::open(*address);
  if (!source) return {};
  return {std::move(source), "GNOME's Mutter (org.gnome.Mutter.IdleMonitor)"};
}

ChosenIdleSource openWayland() {
  if (environment("WAYLAND_DISPLAY").empty()) return {};
  auto source = WaylandIdle::open();
  if (!source) throw std::runtime_error(kNoDisplay);
  const std::string name = std::string("the Wayland compositor (") + source->protocol() + ")";
  return {std::move(source), name};
}

ChosenIdleSource openX11() {
  if (environment("DISPLAY").empty()) return {};
  auto source = X11Session::open();
  if (!source) throw std::runtime_error(kNoDisplay);
  return {std::move(source), "the X server (MIT-SCREEN-SAVER)"};
}

constexpr ChosenIdleSource (*kOpeners[])() = {openMutter, openWayland, openX11};

}  // namespace

ChosenIdleSource openIdleSource() {
  if (environment("WAYLAND_DISPLAY").empty() && environment("DISPLAY").empty())
    throw std::runtime_error(kNoDisplay);
  std::string reasons;
  for (const auto open : kOpeners) {
    try {
      if (ChosenIdleSource chosen = open(); chosen.source) return chosen;
    } catch (const std::exception& e) {
      if (reasons.find(e.what()) == std::string::npos) reasons += (reasons.empty() ? "" : "; ") + std::string(e.what());
    }
  }
  throw std::runtime_error(reasons);
}

}  // namespace lumora
