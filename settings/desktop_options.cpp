#include "settings/desktop_options.h"

#include <algorithm>

#include "settings/password_store.h"
#include "settings/stored_settings.h"

namespace lumora {

DesktopOptions readDesktopOptions(const RegistryFile& registry) {
  DesktopOptions options;
  if (const auto idle = registry.dword(kShowKey, kIdle))
    options.idleMinutes = std::max<std::int32_t>(0, static_cast<std::int32_t>(*idle));
  options.usePassword = registry.dword(kDesktopKey, kScreenSaveUsePassword) == 1u;
  return options;
}

void writeDesktopOptions(const std::filesystem::path& registryPath, const DesktopOptions& options) {
  RegistryFile::update(registryPath, [&](RegistryFile& registry) {
    registry.createKey(kShowKey);
    registry.setDword(kShowKey, kIdle, static_cast<std::uint32_t>(std::max<std::int32_t>(0, options.idleMinutes)));
    registry.createKey(kDesktopKey);
    registry.setDword(kDesktopKey, kScreenSaveUsePassword, options.usePassword ? 1u : 0u);
    return true;
  });
}

}  // namespace lumora
