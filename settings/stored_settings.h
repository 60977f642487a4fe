// The show's values as the registry file holds them: numbers and texts under
// "software\vistel", read and written through one table of stored names.
// The settings window works on these codes as they are stored (it shows and
// writes its choices' indices verbatim); the show reads their meanings
// through ShowSettings (show_settings.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/core/registry_file.h"

namespace lumora {

// The show's key, as a full path in the registry file.
inline constexpr const char* kShowKey = "HKEY_CURRENT_USER\\software\\vistel";

// The shortest transition when none is stored, and the longest the show
// accepts (a larger stored value is taken as this).
inline constexpr int kDefaultShortestTransitionMs = 1000;
inline constexpr int kLongestTransitionMs = 60000;

// One field per stored value, holding the stored code; empty when the value
// is missing (or, when read, stored with another type). Numbers are dwords
// read as signed 32-bit numbers (so 0xFFFFFFFF is -1).
struct SettingCodes {
  std::optional<std::int32_t> pictureOrder;          // 0 list order, 2 shuffled rounds, else random
  std::optional<std::int32_t> transitionSpeed;       // 1..100, larger is slower
  std::optional<std::int32_t> captionOrder;          // 0 none, 1 list order, 2 random, else random from the first
  std::optional<std::int32_t> mediaOrder;            // 0 none, 1 list order, 2 random, else random from the first
  std::optional<std::int32_t> shutdownMinutes;       // 0 or less never
  std::optional<std::int32_t> pauseSeconds;          // between the end of one slide step and the next
  std::optional<std::int32_t> lyrics;                // 1 on, else off
  std::optional<std::int32_t> fittingThreshold;      // -1 fit all, 0..2 a size, else the screen
  std::optional<std::int32_t> tiling;                // -1 none, 0..3 a limit, else no limit
  std::optional<std::int32_t> openingDisplay;        // 0 caption, 1 picture, else the built-in welcome
  std::optional<std::string> openingCaption;         // plain text (ANSI bytes); stored in the stored-text form
  std::optional<std::string> openingPicture;         // a path (ANSI bytes)
  std::optional<std::int32_t> shortestTransitionMs;  // 0 = as fast as the machine
  std::optional<std::int32_t> idleMinutes;           // `lumora --idle` starts the show after these; 0 off
};

// What the settings window reads. keyExists tells whether kShowKey was
// there at all.
struct StoredSettings : SettingCodes {
  bool keyExists = false;
};

// What the settings window writes on confirm: every field that holds a
// value. All of them do unless cleared, but for two: the window leaves the
// fitting threshold empty when neither of its two choices is marked (the
// stored one then stays), and the idle minutes go with the desktop options
// (desktop_options.h).
struct SettingsToWrite : SettingCodes {
  SettingsToWrite();
};

StoredSettings readStoredSettings(const RegistryFile& registry);

// Sets every value that holds one in a loaded registry (the key created when
// missing); other keys and values are kept.
void applySettings(RegistryFile& registry, const SettingCodes& values);
// The same in one locked read-modify-write of the file.
void writeAllSettings(const std::filesystem::path& registryPath, const SettingCodes& values);

// Creates kShowKey in the registry file when it is missing (a locked
// read-modify-write; nothing is written when it exists). The settings
// window's start-up does this.
void ensureShowKey(const std::filesystem::path& registryPath);

}  // namespace lumora
