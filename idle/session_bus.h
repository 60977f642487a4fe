// The session's D-Bus, only when the session has one: the address in
// DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus when that socket is
// there. Never a bus of our own (no autolaunch, no dbus-launch).
#pragma once

#include <optional>
#include <string>

namespace lumora {

std::optional<std::string> sessionBusAddress();

}  // namespace lumora
