// What the show reads of its settings, by meaning: the stored codes
// (stored_settings.h) mapped to choices once, when they are read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/core/registry_file.h"
#include "settings/show_choices.h"
#include "settings/stored_settings.h"

namespace lumora {

// The pause between pictures when none is stored.
inline constexpr int kDefaultPauseSeconds = 6;

// What the saver reads, with the saver's defaults.
struct ShowSettings {
  PictureOrder pictureOrder = PictureOrder::InList;
  int transitionSpeed = 1;  // 1..100, larger is slower
  PlayOrder captionOrder = PlayOrder::None;
  PlayOrder mediaOrder = PlayOrder::InList;
  int shutdownMinutes = 0;  // after the show's start; 0 or less never
  bool lyricsOn = true;
  FittingThreshold fittingThreshold = FittingThreshold::Below640x480;
  Tiling tiling = Tiling::Off;  // Off whenever the threshold is FitAll
  // Missing: the slide timer keeps its built-in kDefaultPauseSeconds.
  std::optional<std::int32_t> pauseSeconds;
  OpeningDisplay openingDisplay = OpeningDisplay::Welcome;
  std::optional<std::string> openingCaption;                // plain text (ANSI bytes)
  std::optional<std::string> openingPicture;                // a path (ANSI bytes)
  int shortestTransitionMs = kDefaultShortestTransitionMs;  // 0..kLongestTransitionMs

  // The pause in milliseconds: pauseSeconds * 1000, or the built-in 6000.
  std::int64_t pauseMs() const;
};

// The meanings of stored codes; a missing code keeps its default.
ShowSettings showSettingsFrom(const SettingCodes& codes);

// The saver's reading: the stored values (a value of the wrong type counts
// as missing), by meaning.
ShowSettings readShowSettings(const RegistryFile& registry);

// The saver's start-up: creates kShowKey in the registry file when it is
// missing (a locked read-modify-write; a failure to write is reported on
// standard error and the show goes on), then reads the show's values.
// A file that exists but cannot be read (or is too large) gives the built-in
// settings, with a message on standard error: the show still covers the
// screen.
ShowSettings loadShowSettings(const std::filesystem::path& registryPath);

}  // namespace lumora
