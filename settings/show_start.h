// What the show takes from the registry file when it starts, in one read of
// the file: the password its close query asks for and the show's settings.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/core/registry_file.h"
#include "settings/show_settings.h"

namespace lumora {

struct ShowStart {
  // As stored; empty when the close query asks none (also when not asked
  // for, or when the file could not be read).
  std::string password;
  ShowSettings settings;
};

// How the registry file is read (RegistryFile::load; tests count the reads).
using RegistryReader = std::function<RegistryFile(const std::filesystem::path&)>;

// Reads the registry file once. When kShowKey is missing it is created (a
// locked read-modify-write; a failure to write is reported on standard error
// and the show goes on with what was read). A file that exists but cannot be
// read gives no password and the built-in settings, with one message on
// standard error: the show still covers the screen. `withPassword` false
// (module mode: the desktop locks itself) leaves the password empty.
ShowStart readShowStart(const std::filesystem::path& registryPath, bool withPassword,
                        const RegistryReader& read = RegistryFile::load);

}  // namespace lumora
