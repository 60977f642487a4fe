#include "start/display.h"

#include <cstdlib>
#include <string>
#include <xcb/xcb.h>

namespace lumora {

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool xServerAnswers() {
  if (env("DISPLAY").empty()) return false;
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  const bool ok = c && !xcb_connection_has_error(c);
  if (c) xcb_disconnect(c);
  return ok;
}

}  // namespace

bool displayAvailable() {
  const std::string platform = env("QT_QPA_PLATFORM");
  const bool wantsX = platform.rfind("xcb", 0) == 0;
  const bool wantsWayland = platform.rfind("wayland", 0) == 0;
  if (!platform.empty() && !wantsX && !wantsWayland) return true;
  if (!wantsX && !env("WAYLAND_DISPLAY").empty()) return true;
  return xServerAnswers();
}

std::string platformFor(WindowKind kind, const std::string& qtQpaPlatform, const std::string& waylandDisplay,
                        const std::string& x11Display) {
  if (kind == WindowKind::LockFrames) return "lumoraframes";
  if (!qtQpaPlatform.empty()) return {};
  const bool x = !x11Display.empty();
  switch (kind) {
    case WindowKind::InsideXWindow:
      return x ? "xcb" : "";
    case WindowKind::Show:
      if (!waylandDisplay.empty()) return x ? "wayland;xcb" : "wayland";
      return x ? "xcb" : "";
    case WindowKind::Ordinary:
    case WindowKind::LockFrames:
      break;
  }
  return {};
}

std::string platformFor(WindowKind kind) {
  return platformFor(kind, env("QT_QPA_PLATFORM"), env("WAYLAND_DISPLAY"), env("DISPLAY"));
}

}  // namespace lumora
