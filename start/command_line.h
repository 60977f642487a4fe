// What a run of lumora is asked to do. The first argument decides: the
// Linux options below when it is exactly one of them, otherwise the mode key
// (its first two characters in upper case) as the desktop passes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "start/mode.h"

namespace lumora {

enum class Launch {
  Mode,     // "/S", "/C", "/A" or nothing, by the mode key
  Help,     // --help: the modes and options, exit 0
  Version,  // --version: the version, exit 0
  Module,   // -window-id ID or -root: the show inside a window the desktop gives
  Idle,     // --idle: start the show when the session is idle
  Locked,   // --locked-show --window-id ID: the show as the lock's module
  Usage,    // a Linux option used wrongly: the usage line, exit 2
};

struct CommandLine {
  Launch launch = Launch::Mode;
  Mode mode = Mode::None;  // for Launch::Mode
  // For Launch::Module: the window to play in; nullopt means "-root" (the
  // window named by $XSCREENSAVER_WINDOW, else the root window).
  std::optional<std::uint32_t> windowId;
  std::string error;  // for Launch::Usage
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// An X window id as given on a command line or in $XSCREENSAVER_WINDOW:
// decimal, or hexadecimal after "0x"/"0X"; nothing else, nothing more, not 0,
// at most 32 bits.
std::optional<std::uint32_t> parseWindowId(const std::string& text);

// The text of --help and --version.
std::string helpText();
std::string versionText();

}  // namespace lumora
