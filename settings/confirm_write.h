// What confirming the settings window writes: the four list files and the
// show's values in the registry file, as one change. All five are first
// written whole to temporary files; only then are they renamed over the old
// ones, one after another (pictures, media, captions, fonts, registry), so a
// failure or a kill while writing leaves the old five, and only a kill within
// the renames can leave some old and some new. Temporary files that killed
// writes left behind (older than a minute) are removed on the way.
#pragma once

#include <array>
#include <filesystem>
#include <functional>

#include "settings/list_file.h"
#include "settings/stored_settings.h"

namespace lumora {

// The lists in the order of their files: pictures, media, captions, fonts.
using FourLists = std::array<StringList, 4>;

// The list files, in the order they are written.
inline constexpr std::array<const char*, 4> kListFileNames = {kPictureListFile, kMediaListFile, kCaptionListFile,
                                                              kFontListFile};

// Writes the four lists into listFolder() (created when missing) and the
// values into the registry file. Throws ListFileError, RegistryError or
// std::system_error naming the file. `beforeReplace`, when given, is called
// with each file just before it replaces the old one.
void writeConfirmedSettings(const std::filesystem::path& registryPath, const FourLists& lists,
                            const SettingsToWrite& values,
                            const std::function<void(const std::filesystem::path&)>& beforeReplace = {});

}  // namespace lumora
