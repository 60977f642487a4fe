#include "platform/core/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace lumora {
namespace {

std::string envOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::filesystem::path homeFolder() {
  std::string home = envOrEmpty("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) home = entry->pw_dir;
  }
  return home.empty() ? std::filesystem::path("/") : std::filesystem::path(home);
}

}  // namespace

std::filesystem::path registryFilePath() {
  if (const std::string lumoraHome = envOrEmpty("LUMORA_HOME"); !lumoraHome.empty())
    return std::filesystem::path(lumoraHome) / "registry.reg";
  if (const std::string config = envOrEmpty("XDG_CONFIG_HOME"); !config.empty())
    return std::filesystem::path(config) / "lumora" / "registry.reg";
  return homeFolder() / ".config" / "lumora" / "registry.reg";
}

std::filesystem::path listFolder() {
  if (const std::string lumoraHome = envOrEmpty("LUMORA_HOME"); !lumoraHome.empty())
    return std::filesystem::path(lumoraHome) / "Lumora_Studio";
  if (const std::string data = envOrEmpty("XDG_DATA_HOME"); !data.empty())
    return std::filesystem::path(data) / "Lumora_Studio";
  return homeFolder() / ".local" / "share" / "Lumora_Studio";
}

}  // namespace lumora
