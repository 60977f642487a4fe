#include "settings/show_start.h"

#include <iostream>

#include "settings/password_store.h"
#include "settings/stored_settings.h"

namespace lumora {

ShowStart readShowStart(const std::filesystem::path& registryPath, bool withPassword, const RegistryReader& read) {
  RegistryFile registry;
  try {
    registry = read(registryPath);
  } catch (const RegistryError& e) {
    std::cerr << "lumora: " << e.what() << "; the show runs with its built-in settings\n";
    return {};
  }
  // The key only marks the show as configured once; a folder that cannot be
  // written to must not keep the show from running.
  if (!registry.keyExists(kShowKey)) {
    try {
      ensureShowKey(registryPath);
    } catch (const RegistryError& e) {
      std::cerr << "lumora: " << e.what() << "\n";
    }
  }
  ShowStart start;
  if (withPassword) start.password = closeQueryPassword(registry);
  start.settings = readShowSettings(registry);
  return start;
}

}  // namespace lumora
