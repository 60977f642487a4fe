// The XDG autostart entry that runs `lumora --idle` at login.
#pragma once

#include <filesystem>
#include <string>

namespace lumora {

// $LUMORA_HOME/autostart/lumora-idle.desktop, else
// $XDG_CONFIG_HOME/autostart/lumora-idle.desktop, else
// ~/.config/autostart/lumora-idle.desktop.
std::filesystem::path idleAutostartPath();

// The entry's text, running `program --idle` (program quoted, as desktop
// entries want, when it holds a blank or a reserved character).
std::string idleAutostartEntry(const std::string& program);

// Writes the entry (atomically, creating its folder) or removes it; removing
// a missing entry is no error. Throw std::system_error naming the file.
void writeIdleAutostart(const std::filesystem::path& path, const std::string& program);
void removeIdleAutostart(const std::filesystem::path& path);

}  // namespace lumora
