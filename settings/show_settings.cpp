#include "settings/show_settings.h"

#include <algorithm>

#include "settings/show_start.h"

namespace lumora {

std::int64_t ShowSettings::pauseMs() const {
  return static_cast<std::int64_t>(pauseSeconds.value_or(kDefaultPauseSeconds)) * 1000;
}

ShowSettings showSettingsFrom(const SettingCodes& c) {
  ShowSettings s;
  if (c.pictureOrder) s.pictureOrder = pictureOrderFromCode(*c.pictureOrder);
  if (c.transitionSpeed) s.transitionSpeed = *c.transitionSpeed;
  if (c.captionOrder) s.captionOrder = playOrderFromCode(*c.captionOrder);
  if (c.mediaOrder) s.mediaOrder = playOrderFromCode(*c.mediaOrder);
  if (c.shutdownMinutes) s.shutdownMinutes = *c.shutdownMinutes;
  if (c.lyrics) s.lyricsOn = *c.lyrics == 1;
  if (c.fittingThreshold) s.fittingThreshold = fittingThresholdFromCode(*c.fittingThreshold);
  if (c.tiling) s.tiling = tilingFromCode(*c.tiling);
  if (s.fittingThreshold == FittingThreshold::FitAll) s.tiling = Tiling::Off;
  s.pauseSeconds = c.pauseSeconds;
  if (c.openingDisplay) s.openingDisplay = openingDisplayFromCode(*c.openingDisplay);
  s.openingCaption = c.openingCaption;
  s.openingPicture = c.openingPicture;
  if (c.shortestTransitionMs) s.shortestTransitionMs = std::clamp(*c.shortestTransitionMs, 0, kLongestTransitionMs);
  return s;
}

ShowSettings readShowSettings(const RegistryFile& registry) { return showSettingsFrom(readStoredSettings(registry)); }

ShowSettings loadShowSettings(const std::filesystem::path& registryPath) {
  return readShowStart(registryPath, false).settings;
}

}  // namespace lumora
