// The mode of a run, from the first two characters of the first argument
// in upper case (ASCII letters only): "/S" the show, "/C" the settings
// window, "/A" the password window; anything else runs nothing.
#pragma once

#include <string>

namespace lumora {

enum class Mode { None, Show, Settings, Password };

// The mode key: the first two characters of the argument, upper-cased.
std::string modeKey(const std::string& firstArgument);

Mode modeOf(int argc, const char* const* argv);

// Runs the chosen mode's windows until the application ends; returns the
// process exit status. Without a display the windowed modes print one line
// and return 1.
int runMode(Mode mode, int argc, char** argv);

// The whole program: the Linux options (--help, --version, -window-id,
// -root, --idle), else the mode of the first argument.
int runLumora(int argc, char** argv);

}  // namespace lumora
