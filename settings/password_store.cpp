#include "settings/password_store.h"

#include <iostream>

#include "settings/stored_text.h"

namespace lumora {

std::string closeQueryPassword(const RegistryFile& registry) {
  if (registry.dword(kDesktopKey, kScreenSaveUsePassword) != std::optional<std::uint32_t>(1)) return {};
  std::string stored = registry.string(kDesktopKey, kMima).value_or(std::string());
  // An old stored form that decodes to nothing ("" or one byte) asks nothing.
  if (!isPasswordHash(stored) && decodeStoredText(stored).empty()) return {};
  return stored;
}

std::string closeQueryPassword(const std::filesystem::path& registryPath) {
  try {
    return closeQueryPassword(RegistryFile::load(registryPath));
  } catch (const RegistryError& e) {
    // As with a desktop key that cannot be opened: no password.
    std::cerr << "lumora: " << e.what() << "\n";
    return {};
  }
}

void writePassword(const std::filesystem::path& registryPath, const std::string& ansiPassword) {
  const std::string stored = hashPassword(ansiPassword);  // slow on purpose: outside the lock
  RegistryFile::update(registryPath, [&](RegistryFile& registry) {
    registry.setString(kDesktopKey, kMima, stored);
    return true;
  });
}

}  // namespace lumora
