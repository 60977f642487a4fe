// The screensaver password and its switch, under the desktop's key in the
// registry file.
#pragma once

#include <filesystem>
#include <string>

#include "platform/core/registry_file.h"
#include "settings/password_hash.h"

namespace lumora {

inline constexpr const char* kDesktopKey = "HKEY_CURRENT_USER\\Control Panel\\Desktop";
inline constexpr const char* kScreenSaveUsePassword = "ScreenSaveUsePassword";  // dword, 1 = on
inline constexpr const char* kMima = "mima";  // the password: a hash, or the old stored-text form

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

}  // namespace lumora
