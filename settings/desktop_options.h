// The two switches that on Windows belong to the desktop and on Linux to
// Lumora: the idle start (the idle minutes under the show's key) and the
// password switch ("ScreenSaveUsePassword" under the desktop key).
#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/core/registry_file.h"

namespace lumora {

// The highest number of idle minutes the settings window offers.
inline constexpr int kMaxIdleMinutes = 240;

struct DesktopOptions {
  std::int32_t idleMinutes = 0;  // minutes of inactivity, 0 = off (also when missing); negative reads as 0
  bool usePassword = false;      // ScreenSaveUsePassword == 1
};

DesktopOptions readDesktopOptions(const RegistryFile& registry);

// Writes both values in one locked read-modify-write: the idle minutes under
// the show's key and ScreenSaveUsePassword (1 or 0) under the desktop key,
// creating the keys when missing and keeping everything else. Throws
// RegistryError.
void writeDesktopOptions(const std::filesystem::path& registryPath, const DesktopOptions& options);

}  // namespace lumora
