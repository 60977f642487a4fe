// The settings store: the show's values under "software\vistel" and the
// password under "Control Panel\Desktop", both in the registry file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/core/registry_file.h"
#include "settings/password_hash.h"

namespace lumora {

// The two keys, as full paths in the registry file.
inline constexpr const char* kShowKey = "HKEY_CURRENT_USER\\software\\vistel";
inline constexpr const char* kDesktopKey = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

// Value names under kShowKey (all dwords except label and spic).
inline constexpr const char* kTpbh = "tpbh";    // picture order: 0 list order, 2 no repeats, else random
inline constexpr const char* kSpeed = "speed";  // transition speed 1..100, larger is slower
inline constexpr const char* kWzbh = "wzbh";    // captions: 0 none, 1 list order, else random
inline constexpr const char* kYysz = "yysz";    // media: 0 none, 1 list order, 2 random
inline constexpr const char* kGjsz = "gjsz";    // shutdown after minutes, 0 never
inline constexpr const char* kJgsj = "jgsj";    // seconds between pictures
inline constexpr const char* kGcbh = "gcbh";    // lyrics: 1 on, else off
inline constexpr const char* kTptc = "tptc";    // fitting threshold: -1 all, 0..2, else screen
inline constexpr const char* kPp = "pp";        // tiling: -1 none, 0..3
inline constexpr const char* kQssz = "qssz";    // opening: 0 caption, 1 picture, else built-in
inline constexpr const char* kLabel = "label";  // opening caption, stored form (string)
inline constexpr const char* kSpic = "spic";    // opening picture path (string, ANSI)
inline constexpr const char* kFxms = "fxms";    // shortest transition in ms, 0 = as fast as the machine
// Value names under kDesktopKey.
inline constexpr const char* kScreenSaveUsePassword = "ScreenSaveUsePassword";  // dword, 1 = on
inline constexpr const char* kMima = "mima";    // password, stored form (string)

// The built-in interval between pictures when "jgsj" is missing.
inline constexpr int kDefaultIntervalSeconds = 6;
// The shortest transition when "fxms" is missing, and the longest the show
// accepts (a larger stored value is taken as this).
inline constexpr int kDefaultFxms = 1000;
inline constexpr int kLongestFxms = 60000;

// What the saver reads, with the saver's defaults. Dwords are read as signed
// 32-bit numbers (so 0xFFFFFFFF is -1).
struct ShowSettings {
  std::int32_t tpbh = 0;
  std::int32_t speed = 1;
  std::int32_t wzbh = 0;
  std::int32_t yysz = 1;
  std::int32_t gjsz = 0;
  std::int32_t gcbh = 1;
  std::int32_t tptc = 0;
  std::int32_t pp = -1;                 // forced to -1 when tptc is -1
  std::optional<std::int32_t> jgsj;     // missing: kDefaultIntervalSeconds
  std::optional<std::int32_t> qssz;     // missing: the built-in welcome caption
  std::optional<std::string> label;     // decoded opening caption (ANSI bytes)
  std::optional<std::string> spic;      // opening picture path (ANSI bytes)
  std::int32_t fxms = kDefaultFxms;     // shortest transition in ms

  // The slideshow interval in milliseconds: jgsj * 1000, or 6000.
  std::int64_t intervalMs() const;
};

// The saver's reading: defaults, then each value only when it exists (a value
// of the wrong type counts as missing). Applies "tptc = -1 -> pp = -1".
ShowSettings readShowSettings(const RegistryFile& registry);

// Creates kShowKey in the registry file when it is missing (a locked
// read-modify-write; nothing is written when it exists). The settings
// window's start-up does this.
void ensureShowKey(const std::filesystem::path& registryPath);

// The saver's start-up: creates kShowKey in the registry file when it is
// missing (a locked read-modify-write; a failure to write is reported on
// standard error and the show goes on), then reads the show's values.
// A file that exists but cannot be read (or is too large) gives the built-in
// settings, with a message on standard error: the show still covers the
// screen.
ShowSettings loadShowSettings(const std::filesystem::path& registryPath);

// The stored password the close query checks typed text against with
// passwordMatches(): when ScreenSaveUsePassword exists and is 1, "mima" as
// stored (a hash, or the old stored-text form); empty when no password is
// asked (switch off, "mima" missing, or a stored form of the empty
// password). Creates nothing. The path form reads the file afresh; a file
// that cannot be read counts as a desktop key that cannot be opened: no
// password (reported on standard error).
std::string closeQueryPassword(const RegistryFile& registry);
std::string closeQueryPassword(const std::filesystem::path& registryPath);

// Stores a new password (ANSI bytes) as "mima": its salted hash
// (hashPassword; an empty password as an empty string), leaving every other
// value alone; does not touch ScreenSaveUsePassword. Throws RegistryError
// when it cannot write, PasswordHashError when it cannot hash. The desktop
// key is created when missing: on this system it lives only in Lumora's own
// registry file, so there is no desktop to have created it.
void writePassword(const std::filesystem::path& registryPath, const std::string& ansiPassword);

// Everything the settings window shows and writes. Read: each field holds the
// stored value when it exists (with its type), nothing otherwise; label is
// decoded. keyExists tells whether kShowKey was there at all.
struct StoredSettings {
  bool keyExists = false;
  std::optional<std::int32_t> tpbh, speed, wzbh, yysz, gjsz, jgsj, gcbh, tptc, pp, qssz;
  std::optional<std::string> label;  // decoded (ANSI bytes)
  std::optional<std::string> spic;   // ANSI bytes
  std::optional<std::int32_t> fxms;
};
StoredSettings readStoredSettings(const RegistryFile& registry);

// What the settings window writes on confirm. tptc is written only when set;
// label is the plain text (written in the stored form).
struct SettingsToWrite {
  std::int32_t tpbh = 0;
  std::int32_t speed = 1;
  std::int32_t wzbh = -1;
  std::int32_t yysz = 1;
  std::int32_t gjsz = 0;
  std::int32_t jgsj = 5;
  std::int32_t gcbh = 1;
  std::optional<std::int32_t> tptc;
  std::int32_t pp = -1;
  std::string label;  // ANSI bytes, plain
  std::string spic;   // ANSI bytes
  std::int32_t qssz = 0;
  std::int32_t fxms = kDefaultFxms;
};

// Writes every value in one locked read-modify-write, creating kShowKey when
// missing; other keys and values are kept.
void writeAllSettings(const std::filesystem::path& registryPath, const SettingsToWrite& values);
// The same values set in a loaded registry (the key created when missing).
void applySettings(RegistryFile& registry, const SettingsToWrite& values);

}  // namespace lumora
