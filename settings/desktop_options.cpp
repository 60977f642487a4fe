#include "settings/desktop_options.h"

#include <algorithm>

#include "settings/password_store.h"
#include "settings/stored_settings.h"

namespace lumora {

DesktopOptions readDesktopOptions(const RegistryFile& registry) {
  DesktopOptions options;
  if (const std::optional<std::int32_t> idle = readStoredSettings(registry).idleMinutes)
    options.idleMinutes = std::max<std::int32_t>(0, *idle);
  options.usePassword = registry.dword(kDesktopKey, kScreenSaveUsePassword) == 1u;
  return options;
}

void writeDesktopOptions(const std::filesystem::path& registryPath, const DesktopOptions& options) {
  RegistryFile::update(registryPath, [&](RegistryFile& registry) {
    SettingCodes codes;
    codes.idleMinutes = std::max<std::int32_t>(0, options.idleMinutes);
    applySettings(registry, codes);
    registry.createKey(kDesktopKey);
    registry.setDword(kDesktopKey, kScreenSaveUsePassword, options.usePassword ? 1u : 0u);
    return true;
  });
}

}  // namespace lumora
