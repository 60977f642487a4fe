// Which session bus the programs use, decided once at the start of main().
//
// libdbus (Qt DBus, the web engine) starts a bus of its own through
// dbus-launch when DBUS_SESSION_BUS_ADDRESS is unset and an X display is
// there: a dbus-daemon that outlives the program and files under ~/.dbus.
// A screensaver must never do that. So the address is always set before any
// library looks at it: the one the session gave, else the user's bus socket
// $XDG_RUNTIME_DIR/bus, else "disabled:", an address of a kind that libdbus
// and GDBus both refuse without starting anything. Child processes (the web
// engine's, the show started by the idle watcher) inherit the decision.
#pragma once

#include <string>
#include <string_view>

namespace lumora {

// The address that means "this session has no bus".
inline constexpr std::string_view kNoSessionBus = "disabled:";

// The session bus address for a process whose environment holds `given` as
// DBUS_SESSION_BUS_ADDRESS and `runtimeDir` as XDG_RUNTIME_DIR (either may be
// null): `given` when not empty; else unix:path=<runtimeDir>/bus when that is
// a socket of this user and runtimeDir an absolute path; else kNoSessionBus.
std::string sessionBusAddress(const char* given, const char* runtimeDir);

// A value for a D-Bus address key, with every byte outside [-0-9A-Za-z_/.*]
// written as %XX.
std::string escapeBusAddressValue(std::string_view value);

// Sets DBUS_SESSION_BUS_ADDRESS from the environment as sessionBusAddress()
// decides. Call first thing in main(), before any library or thread starts.
void settleSessionBus();

// Whether DBUS_SESSION_BUS_ADDRESS names a bus to use (set, not the
// no-bus address).
bool hasSessionBus();

}  // namespace lumora
