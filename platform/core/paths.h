// Where Lumora keeps its files. One environment variable, LUMORA_HOME, moves
// everything (tests and the demo point it at a scratch folder).
#pragma once

#include <filesystem>

namespace lumora {

// The registry file: $LUMORA_HOME/registry.reg, else
// $XDG_CONFIG_HOME/lumora/registry.reg, else ~/.config/lumora/registry.reg.
// Empty variables count as unset. Nothing is created.
std::filesystem::path registryFilePath();

// The folder of the four list files: $LUMORA_HOME/Lumora_Studio, else
// $XDG_DATA_HOME/Lumora_Studio, else ~/.local/share/Lumora_Studio.
// Nothing is created.
std::filesystem::path listFolder();

}  // namespace lumora
