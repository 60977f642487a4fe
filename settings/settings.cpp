#include "settings/settings.h"

#include "settings/stored_text.h"

#include <algorithm>
#include <iostream>

namespace lumora {
namespace {

std::optional<std::int32_t> signedDword(const RegistryFile& registry, const char* key, const char* name) {
  const std::optional<std::uint32_t> value = registry.dword(key, name);
  if (!value) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

void readInto(std::int32_t& field, const RegistryFile& registry, const char* name) {
  if (const std::optional<std::int32_t> value = signedDword(registry, kShowKey, name)) field = *value;
}

}  // namespace

std::int64_t ShowSettings::intervalMs() const {
  return static_cast<std::int64_t>(jgsj.value_or(kDefaultIntervalSeconds)) * 1000;
}

ShowSettings readShowSettings(const RegistryFile& registry) {
  ShowSettings s;
  readInto(s.tpbh, registry, kTpbh);
  readInto(s.wzbh, registry, kWzbh);
  readInto(s.gcbh, registry, kGcbh);
  readInto(s.yysz, registry, kYysz);
  readInto(s.tptc, registry, kTptc);
  readInto(s.pp, registry, kPp);
  if (s.tptc == -1) s.pp = -1;
  s.qssz = signedDword(registry, kShowKey, kQssz);
  if (std::optional<std::string> stored = registry.string(kShowKey, kLabel)) s.label = decodeStoredText(*stored);
  s.spic = registry.string(kShowKey, kSpic);
  readInto(s.speed, registry, kSpeed);
  readInto(s.gjsz, registry, kGjsz);
  s.jgsj = signedDword(registry, kShowKey, kJgsj);
  readInto(s.fxms, registry, kFxms);
  s.fxms = std::clamp(s.fxms, 0, kLongestFxms);
  return s;
}

void ensureShowKey(const std::filesystem::path& registryPath) {
  if (RegistryFile::load(registryPath).keyExists(kShowKey)) return;
  RegistryFile::update(registryPath, [](RegistryFile& registry) {
    if (registry.keyExists(kShowKey)) return false;
    registry.createKey(kShowKey);
    return true;
  });
}

ShowSettings loadShowSettings(const std::filesystem::path& registryPath) {
  // The key only marks the show as configured once; a folder that cannot be
  // written to must not keep the show from running.
  try {
    ensureShowKey(registryPath);
  } catch (const RegistryError& e) {
    std::cerr << "lumora: " << e.what() << "\n";
  }
  try {
    return readShowSettings(RegistryFile::load(registryPath));
  } catch (const RegistryError& e) {
    std::cerr << "lumora: " << e.what() << "; the show runs with its built-in settings\n";
    return ShowSettings{};
  }
}

std::string closeQueryPassword(const RegistryFile& registry) {
  if (registry.dword(kDesktopKey, kScreenSaveUsePassword) != std::optional<std::uint32_t>(1)) return {};
  std::string stored = registry.string(kDesktopKey, kMima).value_or(std::string());
  // An old stored form that decodes to nothing ("" or one byte) asks nothing.
  if (!isPasswordHash(stored) && decodeStoredText(stored).empty()) return {};
  return stored;
}

std::string closeQueryPassword(const std::filesystem::path& registryPath) {
  try {
    return closeQueryPassword(RegistryFile::load(registryPath));
  } catch (const RegistryError& e) {
    // As with a desktop key that cannot be opened: no password.
    std::cerr << "lumora: " << e.what() << "\n";
    return {};
  }
}

void writePassword(const std::filesystem::path& registryPath, const std::string& ansiPassword) {
  const std::string stored = hashPassword(ansiPassword);  // slow on purpose: outside the lock
  RegistryFile::update(registryPath, [&](RegistryFile& registry) {
    registry.setString(kDesktopKey, kMima, stored);
    return true;
  });
}

StoredSettings readStoredSettings(const RegistryFile& registry) {
  StoredSettings s;
  s.keyExists = registry.keyExists(kShowKey);
  if (!s.keyExists) return s;
  s.tpbh = signedDword(registry, kShowKey, kTpbh);
  s.speed = signedDword(registry, kShowKey, kSpeed);
  s.wzbh = signedDword(registry, kShowKey, kWzbh);
  s.yysz = signedDword(registry, kShowKey, kYysz);
  s.gjsz = signedDword(registry, kShowKey, kGjsz);
  s.jgsj = signedDword(registry, kShowKey, kJgsj);
  s.gcbh = signedDword(registry, kShowKey, kGcbh);
  s.tptc = signedDword(registry, kShowKey, kTptc);
  s.pp = signedDword(registry, kShowKey, kPp);
  s.qssz = signedDword(registry, kShowKey, kQssz);
  if (std::optional<std::string> stored = registry.string(kShowKey, kLabel)) s.label = decodeStoredText(*stored);
  s.spic = registry.string(kShowKey, kSpic);
  s.fxms = signedDword(registry, kShowKey, kFxms);
  return s;
}

void applySettings(RegistryFile& registry, const SettingsToWrite& v) {
  auto dword = [](std::int32_t n) { return static_cast<std::uint32_t>(n); };
  registry.createKey(kShowKey);
  registry.setDword(kShowKey, kTpbh, dword(v.tpbh));
  registry.setDword(kShowKey, kSpeed, dword(v.speed));
  registry.setDword(kShowKey, kWzbh, dword(v.wzbh));
  registry.setDword(kShowKey, kYysz, dword(v.yysz));
  registry.setDword(kShowKey, kGjsz, dword(v.gjsz));
  registry.setDword(kShowKey, kJgsj, dword(v.jgsj));
  registry.setDword(kShowKey, kGcbh, dword(v.gcbh));
  if (v.tptc) registry.setDword(kShowKey, kTptc, dword(*v.tptc));
  registry.setDword(kShowKey, kPp, dword(v.pp));
  registry.setString(kShowKey, kLabel, encodeStoredText(v.label));
  registry.setString(kShowKey, kSpic, v.spic);
  registry.setDword(kShowKey, kQssz, dword(v.qssz));
  registry.setDword(kShowKey, kFxms, dword(v.fxms));
}

void writeAllSettings(const std::filesystem::path& registryPath, const SettingsToWrite& v) {
  RegistryFile::update(registryPath, [&](RegistryFile& registry) {
    applySettings(registry, v);
    return true;
  });
}

}  // namespace lumora
