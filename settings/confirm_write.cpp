#include "settings/confirm_write.h"

#include <system_error>

#include "platform/core/atomic_file.h"
#include "platform/core/registry_file.h"

namespace lumora {

void writeConfirmedSettings(const std::filesystem::path& registryPath, const FourLists& lists,
                            const SettingsToWrite& values,
                            const std::function<void(const std::filesystem::path&)>& beforeReplace) {
  ensureListFolder();
  AtomicFileSet files;
  files.beforeReplace = beforeReplace;
  try {
    for (std::size_t i = 0; i < lists.size(); ++i)
      files.stage(listFilePath(kListFileNames[i]), listFileBytes(lists[i]));
  } catch (const std::system_error& e) {
    throw ListFileError(e.what());
  }
  RegistryFile::updateTogether(registryPath, files, [&](RegistryFile& registry) {
    applySettings(registry, values);
    return true;
  });
}

}  // namespace lumora
