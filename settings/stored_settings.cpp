#include "settings/stored_settings.h"

#include "settings/stored_text.h"

namespace lumora {
namespace {

// Each stored value and the field that holds it: a dword in `number`, a
// string in `text`. This table is the one place that knows the stored names;
// values are written in its order.
struct StoredValue {
  const char* name;
  std::optional<std::int32_t> SettingCodes::*number = nullptr;
  std::optional<std::string> SettingCodes::*text = nullptr;
  bool storedTextForm = false;  // kept as each byte followed by 'A'
};

const StoredValue kStoredValues[] = {
    {"tpbh", &SettingCodes::pictureOrder},
    {"speed", &SettingCodes::transitionSpeed},
    {"wzbh", &SettingCodes::captionOrder},
    {"yysz", &SettingCodes::mediaOrder},
    {"gjsz", &SettingCodes::shutdownMinutes},
    {"jgsj", &SettingCodes::pauseSeconds},
    {"gcbh", &SettingCodes::lyrics},
    {"tptc", &SettingCodes::fittingThreshold},
    {"pp", &SettingCodes::tiling},
    {"label", nullptr, &SettingCodes::openingCaption, true},
    {"spic", nullptr, &SettingCodes::openingPicture},
    {"qssz", &SettingCodes::openingDisplay},
    {"fxms", &SettingCodes::shortestTransitionMs},
    {"idle", &SettingCodes::idleMinutes},
};

}  // namespace

SettingsToWrite::SettingsToWrite() {
  pictureOrder = 0;
  transitionSpeed = 1;
  captionOrder = -1;
  mediaOrder = 1;
  shutdownMinutes = 0;
  pauseSeconds = 5;
  lyrics = 1;
  tiling = -1;
  openingDisplay = 0;
  openingCaption = std::string();
  openingPicture = std::string();
  shortestTransitionMs = kDefaultShortestTransitionMs;
}

StoredSettings readStoredSettings(const RegistryFile& registry) {
  StoredSettings s;
  s.keyExists = registry.keyExists(kShowKey);
  if (!s.keyExists) return s;
  for (const StoredValue& v : kStoredValues) {
    if (v.number) {
      if (const std::optional<std::uint32_t> n = registry.dword(kShowKey, v.name))
        s.*v.number = static_cast<std::int32_t>(*n);
    } else if (std::optional<std::string> text = registry.string(kShowKey, v.name)) {
      s.*v.text = v.storedTextForm ? decodeStoredText(*text) : std::move(*text);
    }
  }
  return s;
}

void applySettings(RegistryFile& registry, const SettingCodes& values) {
  registry.createKey(kShowKey);
  for (const StoredValue& v : kStoredValues) {
    if (v.number) {
      if (const std::optional<std::int32_t>& n = values.*v.number)
        registry.setDword(kShowKey, v.name, static_cast<std::uint32_t>(*n));
    } else if (const std::optional<std::string>& text = values.*v.text) {
      registry.setString(kShowKey, v.name, v.storedTextForm ? encodeStoredText(*text) : *text);
    }
  }
}

void writeAllSettings(const std::filesystem::path& registryPath, const SettingCodes& values) {
  RegistryFile::update(registryPath, [&](RegistryFile& registry) {
    applySettings(registry, values);
    return true;
  });
}

void ensureShowKey(const std::filesystem::path& registryPath) {
  if (RegistryFile::load(registryPath).keyExists(kShowKey)) return;
  RegistryFile::update(registryPath, [](RegistryFile& registry) {
    if (registry.keyExists(kShowKey)) return false;
    registry.createKey(kShowKey);
    return true;
  });
}

}  // namespace lumora
